// Two controls the window toolkit lacks in the form the main window needs.
#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QTabBar;

namespace qw {

// A tab control whose pages cover the whole control, tab headers included, so that a
// control on a page stands at the same place relative to the tab control as on the
// original form. The headers are drawn above the pages; the pages draw no background.
class TabControl : public QWidget {
  Q_OBJECT

 public:
  explicit TabControl(QWidget* parent = nullptr);

  QWidget* AddPage(const QString& caption, const QString& pageName);
  int count() const { return static_cast<int>(pages_.size()); }
  QWidget* page(int index) const;
  QString tabText(int index) const;
  int currentIndex() const;
  void setCurrentIndex(int index);  // an index out of range changes nothing
  QTabBar* tabBar() const { return bar_; }

 signals:
  void currentChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();
  void ShowCurrentPage();
  QRect PanelRect() const;

  QTabBar* bar_;
  std::vector<QWidget*> pages_;
};

// A status bar of fixed-width parts laid out from the left; the last part takes the rest.
// A part that does not fit is cut at the bar's right edge.
class StatusBar : public QWidget {
  Q_OBJECT

 public:
  // widths: one per part, -1 for "the rest".
  explicit StatusBar(const std::vector<int>& widths, QWidget* parent = nullptr);

  int PartCount() const { return static_cast<int>(parts_.size()); }
  QLabel* Part(int index) const;  // nullptr for a part the bar lacks

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOutParts();

  std::vector<int> widths_;
  std::vector<QLabel*> parts_;
};

}  // namespace qw
