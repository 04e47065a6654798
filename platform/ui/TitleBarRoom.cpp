#include "platform/ui/TitleBarRoom.h"

#include <QApplication>
#include <QFontMetrics>
#include <QString>
#include <QStyle>
#include <QWidget>

namespace {

// The icon, three buttons and the label's padding.
constexpr int kTitleBarSquares = 5;

} // namespace

int TitleBarRoom(const QWidget& window, const QString& title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int square = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarSquares * square;
}
