// Small pieces shared by the address book window and the entry editor.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QString>

namespace quorvel::address_ui {

// A frame whose caption sits in its top border line, so that controls
// placed a little below the top stay clear of the border.
inline QGroupBox* Frame(QWidget* parent, const char* object_name, const QString& caption,
                        const QRect& rect) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(QLatin1String(object_name));
  frame->setGeometry(rect);
  // A style sheet keeps the window's font from reaching the frame's
  // contents, so it names the font itself.
  const QFont font = parent->font();
  frame->setStyleSheet(
      QStringLiteral(
          "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
          "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
          " left: 7px; padding: 0 2px; }"
          "QGroupBox, QGroupBox * { font-family: \"%1\"; font-size: %2pt; }")
          .arg(font.family())
          .arg(font.pointSizeF()));
  return frame;
}

}  // namespace quorvel::address_ui
