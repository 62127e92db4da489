#include "app/widget_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "text/codepage.h"

namespace qw {
namespace {

QString EscapeMnemonic(const QString& text) {
  QString escaped = text;
  return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString UnescapeMnemonic(const QString& text) {
  QString plain = text;
  return plain.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// A window title reads "[*]" as the place of the modified mark; doubled it shows as itself.
QString EscapeTitle(const QString& text) {
  QString escaped = text;
  return escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

QString UnescapeTitle(const QString& text) {
  QString plain = text;
  return plain.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
}

}  // namespace

QString WidgetText(const QWidget* widget) {
  if (!widget) return {};
  if (widget->isWindow()) return UnescapeTitle(widget->windowTitle());
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  if (auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) return edit->toPlainText();
  if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->currentText();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget))
    return UnescapeMnemonic(button->text());
  if (auto* group = qobject_cast<const QGroupBox*>(widget)) return UnescapeMnemonic(group->title());
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  return {};
}

void SetWidgetText(QWidget* widget, const QString& text) {
  if (!widget) return;
  if (widget->isWindow()) {
    widget->setWindowTitle(EscapeTitle(text));
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    edit->setPlainText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (combo->isEditable()) combo->setEditText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(EscapeMnemonic(text));
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(EscapeMnemonic(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
  }
}

QString ToQString(const Text& text) { return QString::fromStdString(Utf8(text)); }

Text FromQString(const QString& text) { return BytesToText(Gbk(text.toStdString())); }

}  // namespace qw
