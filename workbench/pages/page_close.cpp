#include "workbench/pages/page_close.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <set>

#include "grid/db_grid.h"
#include "workbench/main_form.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"

TPageClose::TPageClose(TWorkbenchForm* form) : QObject(form), form_(form) {
  QTabWidget* pages = form->PageControl1;
  pages->setTabsClosable(true);
  for (QWidget* fixed : {form->TabSheet1, form->TabSheet2}) {
    const int index = pages->indexOf(fixed);
    for (auto side : {QTabBar::LeftSide, QTabBar::RightSide})
      if (QWidget* button = pages->tabBar()->tabButton(index, side)) {
        pages->tabBar()->setTabButton(index, side, nullptr);
        button->deleteLater();
      }
  }
  connect(pages, &QTabWidget::tabCloseRequested, this,
          [this](int index) { RunHandler([&] { ClosePage(index); }); });
  qApp->installEventFilter(this);
}

bool TPageClose::Closable(int index) const {
  QWidget* page = form_->PageControl1->widget(index);
  return page && page != form_->TabSheet1 && page != form_->TabSheet2;
}

void TPageClose::ClosePage(int index) {
  if (!Closable(index)) return;
  QWidget* page = form_->PageControl1->widget(index);
  // The page's grids post what they hold, as leaving the row would.
  const std::vector<TCustomDBGrid*> grids = GridsOf(page);
  for (TCustomDBGrid* grid : grids) {
    TDataSource* source = grid->DataSource();
    if (source && source->DataSet()) PostOrCancel(source->DataSet());
  }
  // The page's own datasets and sources go with it, once its grids let go of them.
  std::set<TComponent*> owned;
  for (TCustomDBGrid* grid : grids) {
    TDataSource* source = grid->DataSource();
    grid->SetDataSource(nullptr);
    if (!source || source->Owner() != form_ || source == form_->dsTable || source == form_->DsQuery)
      continue;
    owned.insert(source);
    if (source->DataSet()) owned.insert(source->DataSet());
  }
  form_->PageControl1->removeTab(index);
  // Later: the key that closes it may be on its way through one of its controls.
  page->hide();
  page->deleteLater();
  for (TComponent* component : owned)
    if (auto* dataset = dynamic_cast<TDataSet*>(component)) dataset->Close();
  for (TComponent* component : owned) delete component;
  form_->Pages->Status->Follow();
}

bool TPageClose::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_W || (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                                      Qt::AltModifier)) != Qt::ControlModifier)
    return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != form_ || !form_->PageControl1->isVisible()) return false;
  RunHandler([this] { ClosePage(form_->PageControl1->currentIndex()); });
  return true;
}
