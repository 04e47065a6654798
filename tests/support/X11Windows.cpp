#include "tests/support/X11Windows.h"

#include <QGuiApplication>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qx::x11 {

xcb_connection_t* Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root;
}

xcb_atom_t Atom(const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        Connection(), xcb_intern_atom(Connection(), 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

std::vector<uint32_t> Property(xcb_window_t window, const char* name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(Connection(), xcb_get_property(Connection(), 0, window, Atom(name), type, 0, 4096), nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

QImage ScreenImage(const QRect& area)
{
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        Connection(),
        xcb_get_image(Connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, Root(), static_cast<int16_t>(area.x()),
                      static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                      static_cast<uint16_t>(area.height()), ~0u),
        nullptr);
    QImage image;
    // A screen of depth 24 holds a pixel in 32 bits, blue first.
    if (reply && reply->depth == 24 &&
        xcb_get_image_data_length(reply) == static_cast<int>(area.width() * area.height() * 4))
        image = QImage(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32).copy();
    std::free(reply);
    return image;
}

double DifferingShare(const QImage& a, const QImage& b)
{
    if (a.isNull() || a.size() != b.size())
        return 1.0;
    const QImage first = a.convertToFormat(QImage::Format_RGB32);
    const QImage second = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int y = 0; y < first.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(first.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x)
            differing += qRgb(qRed(p[x]), qGreen(p[x]), qBlue(p[x])) != qRgb(qRed(q[x]), qGreen(q[x]), qBlue(q[x]));
    }
    return static_cast<double>(differing) / (static_cast<double>(first.width()) * first.height());
}

bool WindowManagerRuns()
{
    if (!Connection())
        return false;
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(Connection(), xcb_get_window_attributes(Connection(), Root()), nullptr);
    const bool held = reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    std::free(reply);
    return held;
}

std::vector<uint32_t> Stacking()
{
    return Property(Root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
}

int StackingLevel(xcb_window_t window)
{
    const std::vector<uint32_t> order = Stacking();
    const auto at = std::find(order.begin(), order.end(), window);
    return at == order.end() ? -1 : static_cast<int>(at - order.begin());
}

xcb_window_t ActiveWindow()
{
    const std::vector<uint32_t> active = Property(Root(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return active.empty() ? static_cast<xcb_window_t>(XCB_WINDOW_NONE) : active.front();
}

bool AboveOthers(xcb_window_t window)
{
    const std::vector<uint32_t> state = Property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::find(state.begin(), state.end(), Atom("_NET_WM_STATE_ABOVE")) != state.end();
}

bool Viewable(xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(Connection(), xcb_get_window_attributes(Connection(), window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

WmState ManagedState(xcb_window_t window)
{
    const std::vector<uint32_t> state = Property(window, "WM_STATE", Atom("WM_STATE"));
    return state.empty() ? WmState::None : static_cast<WmState>(state.front());
}

QRect ClientOnScreen(xcb_window_t window)
{
    xcb_get_geometry_reply_t* size = xcb_get_geometry_reply(Connection(), xcb_get_geometry(Connection(), window), nullptr);
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        Connection(), xcb_translate_coordinates(Connection(), window, Root(), 0, 0), nullptr);
    QRect client;
    if (size && at)
        client = QRect(at->dst_x, at->dst_y, size->width, size->height);
    std::free(size);
    std::free(at);
    return client;
}

QRect FrameOnScreen(xcb_window_t window)
{
    const std::vector<uint32_t> extents = Property(window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (extents.size() != 4 || extents[2] == 0)
        return QRect();
    // Left, right, top, bottom.
    return ClientOnScreen(window).adjusted(-static_cast<int>(extents[0]), -static_cast<int>(extents[2]),
                                           static_cast<int>(extents[1]), static_cast<int>(extents[3]));
}

QPoint TitleBarPoint(xcb_window_t window)
{
    const QRect frame = FrameOnScreen(window);
    return QPoint(frame.center().x(), (frame.top() + ClientOnScreen(window).top()) / 2);
}

void ActivateByManager(xcb_window_t window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(Connection(), 0, Root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(Connection());
}

bool HaveXdotool()
{
    return !QStandardPaths::findExecutable("xdotool").isEmpty();
}

QStringList DragCommands(QPoint from, QPoint by)
{
    QStringList commands{"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.1",
                         "mousedown", "1"};
    for (int step = 1; step <= 10; ++step)
        commands << "sleep" << "0.1" << "mousemove" << QString::number(from.x() + by.x() * step / 10)
                 << QString::number(from.y() + by.y() * step / 10);
    commands << "sleep" << "0.1" << "mouseup" << "1";
    return commands;
}

QStringList ClickCommands(QPoint at)
{
    return {"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.2", "click", "1"};
}

QStringList AltTab()
{
    return {"keydown", "alt", "sleep", "0.6", "key", "Tab", "sleep", "0.4", "keyup", "alt"};
}

} // namespace qx::x11
