#include "app/widgets.h"

#include <QLabel>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>
#include <algorithm>

namespace qw {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
    ShowCurrentPage();
    emit currentChanged(index);
  });
}

QWidget* TabControl::AddPage(const QString& caption, const QString& pageName) {
  auto* page = new QWidget(this);
  page->setObjectName(pageName);
  page->setGeometry(rect());
  pages_.push_back(page);
  bar_->addTab(caption);
  bar_->raise();
  LayOut();
  ShowCurrentPage();
  return page;
}

QWidget* TabControl::page(int index) const {
  return (index >= 0 && index < count()) ? pages_[static_cast<size_t>(index)] : nullptr;
}

QString TabControl::tabText(int index) const { return bar_->tabText(index); }

int TabControl::currentIndex() const { return bar_->currentIndex(); }

void TabControl::setCurrentIndex(int index) {
  if (index >= 0 && index < count()) bar_->setCurrentIndex(index);
}

void TabControl::ShowCurrentPage() {
  int current = bar_->currentIndex();
  for (int i = 0; i < count(); ++i) pages_[static_cast<size_t>(i)]->setVisible(i == current);
}

QRect TabControl::PanelRect() const {
  // The panel starts where the headers end, overlapping them by the frame's width.
  int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, bar_);
  int top = std::max(0, bar_->geometry().bottom() + 1 - overlap);
  return QRect(0, top, width(), std::max(0, height() - top));
}

void TabControl::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame option;
  option.initFrom(this);
  option.rect = PanelRect();
  option.shape = bar_->shape();
  option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  option.tabBarSize = bar_->size();
  option.tabBarRect = bar_->geometry();
  option.selectedTabRect = bar_->tabRect(bar_->currentIndex()).translated(bar_->pos());
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void TabControl::LayOut() {
  QSize hint = bar_->sizeHint();
  bar_->setGeometry(2, 0, std::min(hint.width(), std::max(0, width() - 4)), hint.height());
  for (QWidget* page : pages_) page->setGeometry(rect());
}

StatusBar::StatusBar(const std::vector<int>& widths, QWidget* parent)
    : QWidget(parent), widths_(widths) {
  for (size_t i = 0; i < widths_.size(); ++i) {
    auto* part = new QLabel(this);
    part->setObjectName(QStringLiteral("StatusPart%1").arg(i));
    part->setTextFormat(Qt::PlainText);
    part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    part->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    parts_.push_back(part);
  }
}

QLabel* StatusBar::Part(int index) const {
  return (index >= 0 && index < PartCount()) ? parts_[static_cast<size_t>(index)] : nullptr;
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutParts();
}

void StatusBar::LayOutParts() {
  int x = 0;
  for (size_t i = 0; i < parts_.size(); ++i) {
    int room = std::max(0, width() - x);
    int w = widths_[i] < 0 ? room : std::min(widths_[i], room);
    parts_[i]->setGeometry(x, 0, w, height());
    parts_[i]->setVisible(w > 0);
    x += widths_[i] < 0 ? w : widths_[i];
  }
}

}  // namespace qw
