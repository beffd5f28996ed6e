#include "workbench/pages/window_layout.h"

#include <QDir>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "workbench/console/sql_console.h"
#include "workbench/main_form.h"

namespace {

// The original bounds.
const QRect kTree(0, 40, 113, 273);
const QRect kPages(120, 40, 513, 313);
const QRect kGrid(0, 16, 497, 249);
constexpr int kEditorWidth = 633;
constexpr int kLabelTop = 264;
// Neither side of the splitter gets narrower than this, nor the pages lower.
constexpr int kNarrowest = 60;
constexpr int kLowest = 120;
// The table pages' grids, as they are made: one pixel short of the page's right edge
// and 15 of its bottom.
const QSize kPageGridMargins(1, 15);

// The handle between tree and pages: dragging it moves the boundary.
class TSplitterHandle : public QWidget {
 public:
  TSplitterHandle(QWidget* parent, TWindowLayout* layout) : QWidget(parent), layout_(layout) {
    setObjectName(QStringLiteral("TreeSplitter"));
    setCursor(Qt::SplitHCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    start_x_ = event->globalPosition().toPoint().x();
    start_offset_ = layout_->SplitOffset();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    layout_->SetSplitOffset(start_offset_ + event->globalPosition().toPoint().x() - start_x_);
  }

 private:
  TWindowLayout* layout_;
  int start_x_ = 0;
  int start_offset_ = 0;
};

}  // namespace

QSettings UserSettings() {
  return QSettings(QDir(DataFolder()).filePath(QStringLiteral("settings.ini")),
                   QSettings::IniFormat);
}

QString DataFolder() {
  const QByteArray chosen = qgetenv("TAVREL_DATA_DIR");
  return chosen.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                          : QString::fromLocal8Bit(chosen);
}

TWindowLayout::TWindowLayout(TWorkbenchForm* form) : QObject(form), form_(form) {
  Splitter = new TSplitterHandle(form->centralWidget(), this);
  Splitter->setVisible(!form->TreeView1->isHidden());
  for (QObject* watched :
       {static_cast<QObject*>(form), static_cast<QObject*>(form->TreeView1),
        static_cast<QObject*>(form->PageControl1), static_cast<QObject*>(form->TabSheet1)})
    watched->installEventFilter(this);
  // The controls keep their original bounds until the window's first resize (a hidden
  // window's size is not its final one yet).
  Splitter->setGeometry(kTree.right() + 1, kTree.y(), kPages.x() - kTree.right() - 1,
                        kPages.height());
}

QSize TWindowLayout::Growth() const {
  const QSize growth = form_->frameGeometry().size() - kWorkingSize;
  const bool grown = form_->Phase == 2 && !form_->Timer1->isActive();
  if (grown) return growth;
  return growth.expandedTo(QSize(0, 0));
}

void TWindowLayout::Apply() {
  const QSize growth = Growth();
  const int height = std::max(kLowest, kPages.height() + growth.height());
  const int pages_width = std::max(kNarrowest, kPages.width() + growth.width() - split_);
  form_->TreeView1->setGeometry(kTree.x(), kTree.y(), kTree.width() + split_,
                                std::max(kLowest - 40, kTree.height() + growth.height()));
  form_->PageControl1->setGeometry(kPages.x() + split_, kPages.y(), pages_width, height);
  Splitter->setGeometry(kTree.right() + 1 + split_, kTree.y(), kPages.x() - kTree.right() - 1,
                        height);
}

void TWindowLayout::ApplyToPages() {
  const QSize growth = form_->PageControl1->size() - kPages.size();
  form_->DBGrid1->setGeometry(kGrid.x(), kGrid.y(), kGrid.width() + growth.width(),
                              kGrid.height() + growth.height());
  form_->Label4->move(form_->Label4->x(), kLabelTop + growth.height());
  // The editor keeps its height (the plan below it takes from it when shown).
  form_->RichEdit1->resize(kEditorWidth + growth.width(), form_->RichEdit1->height());
}

void TWindowLayout::SetSplitOffset(int offset) {
  const int most = kPages.width() + std::max(0, Growth().width()) - kNarrowest;
  split_ = std::clamp(offset, kNarrowest - kTree.width(), std::max(0, most));
  Apply();
}

void TWindowLayout::AnchorPageGrid(QWidget* page, QWidget* grid) {
  grid_of_page_[page] = grid;
  page->installEventFilter(this);
  connect(page, &QObject::destroyed, this, [this, page] { grid_of_page_.erase(page); });
}

bool TWindowLayout::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == form_) {
    if (type == QEvent::Resize) Apply();
    // The geometry worth keeping is the one the person gave the grown window.
    if ((type == QEvent::Resize || type == QEvent::Move) && form_->Phase == 2 &&
        !form_->Timer1->isActive() && form_->isVisible())
      geometry_ = form_->saveGeometry();
  } else if (watched == form_->TreeView1) {
    if (type == QEvent::Show || type == QEvent::Hide) Splitter->setVisible(type == QEvent::Show);
  } else if (watched == form_->PageControl1) {
    if (type == QEvent::Resize) ApplyToPages();
  } else if (watched == form_->TabSheet1) {
    if (type == QEvent::Resize) {
      const int width = form_->TabSheet1->width();
      for (QWidget* panel :
           {static_cast<QWidget*>(form_->Console->PlanView), form_->Console->HistoryPanel})
        panel->resize(width, panel->height());
    }
  } else if (type == QEvent::Resize) {
    // Its grid: the page's tabs may have changed its height since the grid was made.
    const auto grid = grid_of_page_.find(watched);
    if (grid != grid_of_page_.end())
      grid->second->resize(static_cast<QWidget*>(watched)->size() - kPageGridMargins);
  }
  return false;
}

void TWindowLayout::Restore() {
  if (restored_) return;
  restored_ = true;
  QSettings settings = UserSettings();
  const QByteArray geometry = settings.value(QStringLiteral("window/geometry")).toByteArray();
  if (!geometry.isEmpty()) form_->restoreGeometry(geometry);
  SetSplitOffset(settings.value(QStringLiteral("window/splitter"), 0).toInt());
}

void TWindowLayout::Save() {
  if (!restored_) return;  // never logged in: the login panel's size is no choice
  QSettings settings = UserSettings();
  if (!geometry_.isEmpty()) settings.setValue(QStringLiteral("window/geometry"), geometry_);
  settings.setValue(QStringLiteral("window/splitter"), split_);
  settings.sync();
}
