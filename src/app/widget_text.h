// The text property of a control, whatever its kind: an edit's text, a button's or group
// box's caption, a combo box's edit field, a label's text, the window title. Texts show
// as given: an "&" is no mnemonic and nothing is read as markup.
#pragma once

#include <QString>

#include "text/text.h"

class QWidget;

namespace qw {

QString WidgetText(const QWidget* widget);
void SetWidgetText(QWidget* widget, const QString& text);

// The toolkit's strings hold Unicode; the logic's texts are GBK.
QString ToQString(const Text& text);
Text FromQString(const QString& text);

}  // namespace qw
