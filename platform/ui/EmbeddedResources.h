// Resource files compiled into the program (generated at build time).
#pragma once

#include <cstddef>

struct QxEmbeddedResource {
    const char* name;
    const unsigned char* data;
    size_t size;
};

extern const QxEmbeddedResource kQxEmbeddedResources[];
extern const size_t kQxEmbeddedResourceCount;
