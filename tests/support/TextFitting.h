// The texts of a window's labels, buttons, check boxes, radio buttons and group boxes that
// do not show whole: each text measured in its control's font against the room the style
// leaves it in the control.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>

#include <string>
#include <vector>

namespace qx::testsupport {

namespace detail {

inline std::string CutText(const QWidget* control, const QString& text, int needed, int room)
{
    return std::string(control->metaObject()->className()) + " \"" + text.toStdString() + "\" needs " +
           std::to_string(needed) + " px, has " + std::to_string(room);
}

}  // namespace detail

// One line per visible control of the window whose text is cut, naming the text and the
// widths; empty when every text shows whole.
inline std::vector<std::string> CutTexts(const QWidget* window)
{
    std::vector<std::string> cut;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics(control->font());
        QStyle* style = control->style();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            const QString text = button->text();
            if (text.isEmpty())
                continue;
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            const QStyle::SubElement contents = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                : qobject_cast<const QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                                                        : QStyle::SE_PushButtonContents;
            const int room = style->subElementRect(contents, &option, button).width();
            const int needed = metrics.size(Qt::TextShowMnemonic, text).width();
            if (needed > room)
                cut.push_back(detail::CutText(control, text, needed, room));
        } else if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
            if (group->title().isEmpty())
                continue;
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            option.textAlignment = group->alignment();
            const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
            const int needed = metrics.size(Qt::TextShowMnemonic, group->title()).width();
            if (!group->rect().contains(label) || label.width() < needed)
                cut.push_back(detail::CutText(control, group->title(), needed, group->width() - label.left()));
        } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
            if (label->text().isEmpty())
                continue;
            // A wrapping label may take more lines, as long as they fit its height.
            const QRect room = label->contentsRect();
            const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) | Qt::TextShowMnemonic;
            const QRect needed = metrics.boundingRect(room, flags, label->text());
            if (needed.width() > room.width() || needed.height() > room.height())
                cut.push_back(detail::CutText(control, label->text(), needed.width(), room.width()) + " (height " +
                              std::to_string(needed.height()) + " of " + std::to_string(room.height()) + ")");
        }
    }
    return cut;
}

}  // namespace qx::testsupport
