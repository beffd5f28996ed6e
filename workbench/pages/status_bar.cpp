#include "workbench/pages/status_bar.h"

#include <QLabel>
#include <QStatusBar>

#include "grid/blob_cell_text.h"
#include "grid/db_grid.h"
#include "workbench/main_form.h"
#include "workbench/pages/pages.h"

// Hears the followed dataset's moves and changes; its one buffer never enlarges the
// grid's window.
class TStatusBarLabels::TRowLink : public TDataLink {
 public:
  explicit TRowLink(TStatusBarLabels* owner) : owner_(owner) {}

 protected:
  void ActiveChanged() override { owner_->ShowRow(); }
  void DataSetChanged() override { owner_->ShowRow(); }
  void DataSetScrolled(int) override { owner_->ShowRow(); }
  void EditingChanged() override { owner_->ShowRow(); }

 private:
  TStatusBarLabels* owner_;
};

TStatusBarLabels::TStatusBarLabels(TWorkbenchForm* form)
    : QObject(form), form_(form), link_(std::make_unique<TRowLink>(this)) {
  connect(form->PageControl1, &QTabWidget::currentChanged, this, [this] { Follow(); });
}

TStatusBarLabels::~TStatusBarLabels() = default;

TStatusBarLabels& TStatusBarLabels::Ensure() {
  if (Message) return *this;
  QStatusBar* bar = form_->statusBar();
  auto make = [bar](const char* name) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    return label;
  };
  Message = make("ConsoleStatus");
  Row = make("RowPosition");
  Pending = make("PendingMark");
  Line = make("ConsoleLine");
  CharSet = make("CharSetLabel");
  bar->addWidget(Message, 1);
  for (QLabel* label : {Row, Pending, Line, CharSet}) bar->addPermanentWidget(label);
  Pending->setText(QStringLiteral("● Alterações não confirmadas"));
  Pending->hide();
  Row->hide();
  Follow();
  return *this;
}

void TStatusBarLabels::Follow() {
  QWidget* page = form_->PageControl1->currentWidget();
  const std::vector<TCustomDBGrid*> grids = GridsOf(page);
  TCustomDBGrid* grid = grids.empty() ? nullptr : grids.front();
  TDataSource* source = grid ? grid->DataSource() : nullptr;
  if (link_->DataSource() != source) link_->SetDataSource(source);
  ShowRow();
}

void TStatusBarLabels::ShowRow() {
  if (!Row) return;
  TDataSet* dataset = link_->DataSet();
  if (!dataset || !dataset->Active()) {
    Row->hide();
    return;
  }
  if (dataset->State() == dsInsert)
    Row->setText(QStringLiteral("Nova linha"));
  else if (dataset->IsEmpty())
    Row->setText(QStringLiteral("Nenhuma linha"));
  else
    Row->setText(RowText(dataset->RecNo(), dataset->RecordCount(), dataset->IsSequenced()));
  Row->show();
}

void TStatusBarLabels::ShowPending(int rows) {
  if (!Pending) return;
  Pending->setVisible(rows > 0);
  Pending->setToolTip(
      (rows == 1 ? QStringLiteral("1 alteração") : Grouped(rows) + QStringLiteral(" alterações")) +
      QStringLiteral(" desde a última confirmação; F4 confirma, Shift+F4 desfaz"));
}

QString TStatusBarLabels::Grouped(int number) {
  return GroupedDigits(number);
}

QString TStatusBarLabels::RowText(int rec_no, int count, bool all_fetched) {
  return QStringLiteral("Linha %1 de %2%3")
      .arg(Grouped(rec_no), Grouped(count), all_fetched ? QString() : QStringLiteral("+"));
}
