// Replaced as the core gains sources.
namespace qx { int platformPlaceholder() { return 0; } }
