#include "workbench/pages/transaction_commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "data/database/ib_base.h"
#include "workbench/main_form.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"

const char* const TTransactionCommands::kUndoQuestion =
    "Desfazer as alterações gravadas desde a última confirmação?";

TTransactionCommands::TTransactionCommands(TWorkbenchForm* form)
    : QObject(form),
      form_(form),
      link_(std::make_unique<TIBBase>(nullptr)),
      count_(std::make_shared<std::function<void()>>([this] { Count(); })) {
  Menu = new QMenu(QStringLiteral("Transação"), form->menuBar());
  form->menuBar()->insertMenu(form->Sobre1, Menu);
  // The keys are the grids' own (F4 is heard there), so the texts only name them.
  Confirm = Menu->addAction(QStringLiteral("Confirmar\tF4"));
  Undo = Menu->addAction(QStringLiteral("Desfazer\tShift+F4"));
  connect(Menu, &QMenu::aboutToShow, this, [this] {
    const bool connected = form_->IBDatabase1->Connected();
    Confirm->setEnabled(connected);
    Undo->setEnabled(connected);
  });
  connect(Confirm, &QAction::triggered, this, [this] {
    RunHandler([this] {
      int key = Qt::Key_F4;
      form_->DBGrid1KeyDown(key, Qt::NoModifier);
    });
  });
  connect(Undo, &QAction::triggered, this, [this] { RunHandler([this] { RollBack(); }); });

  link_->SetTransaction(form->IBTransaction1);
  auto ended = [this](TIBBase*) { Ended(); };
  link_->AfterTransactionEnd = ended;
  link_->AfterRollbackRetaining = ended;
  link_->AfterDatabaseDisconnect = ended;
}

TTransactionCommands::~TTransactionCommands() {
  *count_ = nullptr;
}

void TTransactionCommands::Watch(TDataSet* dataset) {
  auto chain = [count = count_](TDataSetNotifyEvent earlier) {
    return [count, earlier](TDataSet* sender) {
      if (earlier) earlier(sender);
      if (*count) (*count)();
    };
  };
  dataset->AfterPost = chain(dataset->AfterPost);
  dataset->AfterDelete = chain(dataset->AfterDelete);
}

void TTransactionCommands::Count() {
  ++changes_;
  form_->Pages->Status->ShowPending(changes_);
}

void TTransactionCommands::Ended() {
  changes_ = 0;
  form_->Pages->Status->ShowPending(0);
}

void TTransactionCommands::NoteChangesLeft() {
  if (form_->IBTransaction1->InTransaction()) Count();
}

bool TTransactionCommands::RollBack() {
  if (!form_->IBDatabase1->Connected()) return false;
  if (changes_ > 0 && !Dialogs().Confirm(form_, "Desfazer", kUndoQuestion)) return false;
  // Nothing typed is posted: edits and inserts in progress are dropped first.
  for (int i = 0; i < form_->ComponentCount(); ++i) {
    auto* dataset = dynamic_cast<TIBCustomDataSet*>(form_->Components(i));
    if (!dataset || dataset->Transaction() != form_->IBTransaction1) continue;
    if (dataset->State() == dsEdit || dataset->State() == dsInsert) dataset->Cancel();
  }
  if (form_->IBTransaction1->InTransaction()) form_->IBTransaction1->Rollback();
  Ended();
  return true;
}
