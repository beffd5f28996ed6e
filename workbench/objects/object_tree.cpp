#include "workbench/objects/object_tree.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include "data/database/ib_base.h"

#include "grid/qt_text.h"
#include "workbench/idle_queue.h"
#include "workbench/main_form.h"
#include "workbench/objects/structure_page.h"

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

struct TRootTitle {
  TObjectKind kind;
  const char* title;
};
const TRootTitle kRoots[] = {
    {TObjectKind::View, "VIEWS"},         {TObjectKind::Procedure, "PROCEDIMENTOS"},
    {TObjectKind::Trigger, "GATILHOS"},   {TObjectKind::Generator, "GERADORES"},
    {TObjectKind::Exception, "EXCEÇÕES"}, {TObjectKind::Domain, "DOMÍNIOS"},
    {TObjectKind::Index, "ÍNDICES"},      {TObjectKind::SystemTable, "TABELAS DO SISTEMA"},
};

QString Title(TObjectKind kind) {
  for (const TRootTitle& root : kRoots)
    if (root.kind == kind) return QString::fromUtf8(root.title);
  return QStringLiteral("TABELAS");
}

bool IsReturn(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

TObjectTree::TObjectTree(TWorkbenchForm* form) : QObject(form), form_(form) {
  setObjectName(QStringLiteral("ObjectTree"));
  QTreeWidget* tree = form->TreeView1;
  // The filter box stands in the tree's header row, so the tree keeps its bounds.
  tree->setHeaderHidden(false);
  Filter = new QLineEdit(tree->header());
  Filter->setPlaceholderText(QStringLiteral("Filtrar"));
  Filter->setClearButtonEnabled(true);
  tree->header()->setFixedHeight(Filter->sizeHint().height());
  tree->header()->installEventFilter(this);
  connect(Filter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });

  for (const TRootTitle& root : kRoots)
    if (root.kind != TObjectKind::SystemTable) AddRoot(root.kind);

  Menu = new QMenu(tree);
  StructureAction = Menu->addAction(QStringLiteral("Estrutura"));
  StructureAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
  RefreshAction = Menu->addAction(QStringLiteral("Atualizar"));
  RefreshAction->setShortcut(QKeySequence(Qt::Key_F5));
  Menu->addSeparator();
  SystemTablesAction = Menu->addAction(QStringLiteral("Mostrar tabelas do sistema"));
  SystemTablesAction->setCheckable(true);
  connect(StructureAction, &QAction::triggered, this,
          [this] { OpenStructure(form_->TreeView1->currentItem()); });
  connect(RefreshAction, &QAction::triggered, this, [this] { RunHandler([this] { Refresh(); }); });
  connect(SystemTablesAction, &QAction::toggled, this,
          [this](bool shown) { RunHandler([&] { ShowSystemTables(shown); }); });

  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& point) {
    if (QTreeWidgetItem* node = tree->itemAt(point)) tree->setCurrentItem(node);
    StructureAction->setEnabled(ObjectOf(tree->currentItem()).has_value());
    Menu->popup(tree->viewport()->mapToGlobal(point));
  });
  connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
    if (!node->parent() && node->data(0, kKindRole).isValid() &&
        !node->data(0, kFilledRole).toBool())
      RunHandler([&] { Fill(node); });
  });
  connect(tree, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* node) { Open(node); });
  // Installed after the form's own filter, so it sees the tree's keys first.
  tree->installEventFilter(this);

  transaction_link_ = std::make_unique<TIBBase>(nullptr);
  transaction_link_->SetTransaction(form->IBTransaction1);
  transaction_link_->AfterTransactionEnd = [this](TIBBase*) {
    if (!schema_changed_) return;
    schema_changed_ = false;
    // Once the end's notices are over and no long call holds the connection.
    RunWhenIdle(this, [this] { Refresh(); });
  };
}

TObjectTree::~TObjectTree() = default;

void TObjectTree::NoteSchemaChange(bool committed) {
  if (!committed) {
    schema_changed_ = true;
    return;
  }
  if (refresh_queued_) return;  // a script's many DDL statements read the tree once
  refresh_queued_ = true;
  RunWhenIdle(this, [this] {
    refresh_queued_ = false;
    Refresh();
  });
}

QTreeWidgetItem* TObjectTree::AddRoot(TObjectKind kind) {
  auto* root = new QTreeWidgetItem(form_->TreeView1, {Title(kind)});
  root->setData(0, kKindRole, static_cast<int>(kind));
  root->setData(0, kFilledRole, false);
  root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return root;
}

QTreeWidgetItem* TObjectTree::Root(TObjectKind kind) const {
  QTreeWidget* tree = form_->TreeView1;
  if (kind == TObjectKind::Table) return form_->TablesNode();
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = tree->topLevelItem(i);
    if (root->data(0, kKindRole).isValid() && root->data(0, kKindRole).toInt() == int(kind))
      return root;
  }
  return nullptr;
}

void TObjectTree::Fill(QTreeWidgetItem* root) {
  const auto kind = static_cast<TObjectKind>(root->data(0, kKindRole).toInt());
  const std::vector<std::string> names = ListObjectNames(form_->IBDatabase1, kind);
  qDeleteAll(root->takeChildren());
  for (const std::string& name : names) {
    new QTreeWidgetItem(root, {ToQt(name)});
  }
  root->setText(0, Title(kind) + QStringLiteral(" (%1)").arg(names.size()));
  root->setData(0, kFilledRole, true);
  ApplyFilter(root);
}

void TObjectTree::Reset() {
  Filter->clear();
  for (const TRootTitle& title : kRoots) {
    QTreeWidgetItem* root = Root(title.kind);
    if (!root) continue;
    root->setExpanded(false);
    qDeleteAll(root->takeChildren());
    root->setText(0, Title(title.kind));
    root->setData(0, kFilledRole, false);
  }
}

void TObjectTree::Refresh() {
  QTreeWidget* tree = form_->TreeView1;
  if (!form_->IBDatabase1->Connected()) return;
  // The current node is found again by its root and its name.
  QTreeWidgetItem* current = tree->currentItem();
  QTreeWidgetItem* current_root = current && current->parent() ? current->parent() : current;
  const int root_index = current_root ? tree->indexOfTopLevelItem(current_root) : -1;
  const QString current_name = current && current->parent() ? current->text(0) : QString();

  QTreeWidgetItem* tables = form_->TablesNode();
  const std::vector<std::string> names = ListObjectNames(form_->IBDatabase1, TObjectKind::Table);
  qDeleteAll(tables->takeChildren());
  for (const std::string& name : names) {
    new QTreeWidgetItem(tables, {ToQt(name)});
  }
  ApplyFilter(tables);
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    if (tree->topLevelItem(i)->data(0, kFilledRole).toBool()) Fill(tree->topLevelItem(i));

  if (root_index < 0) return;
  QTreeWidgetItem* root = tree->topLevelItem(root_index);
  tree->setCurrentItem(root);
  for (int i = 0; i < root->childCount(); ++i)
    if (root->child(i)->text(0) == current_name) tree->setCurrentItem(root->child(i));
}

void TObjectTree::ShowSystemTables(bool shown) {
  if (SystemTablesAction->isChecked() != shown) SystemTablesAction->setChecked(shown);
  QTreeWidgetItem* root = Root(TObjectKind::SystemTable);
  if (shown && !root) AddRoot(TObjectKind::SystemTable);
  if (!shown && root) delete root;
}

void TObjectTree::ApplyFilter() {
  QTreeWidget* tree = form_->TreeView1;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) ApplyFilter(tree->topLevelItem(i));
}

void TObjectTree::ApplyFilter(QTreeWidgetItem* root) {
  const QString text = Filter->text();
  for (int i = 0; i < root->childCount(); ++i)
    root->child(i)->setHidden(!text.isEmpty() &&
                              !root->child(i)->text(0).contains(text, Qt::CaseInsensitive));
}

std::optional<std::pair<TObjectKind, std::string>> TObjectTree::ObjectOf(
    QTreeWidgetItem* node) const {
  if (!node || !node->parent() || node->parent()->parent()) return std::nullopt;
  QTreeWidgetItem* root = node->parent();
  TObjectKind kind = TObjectKind::Table;
  if (root->data(0, kKindRole).isValid())
    kind = static_cast<TObjectKind>(root->data(0, kKindRole).toInt());
  else if (root != form_->TablesNode())
    return std::nullopt;
  return std::make_pair(kind, FromQt(node->text(0)));
}

void TObjectTree::OpenStructure(QTreeWidgetItem* node) {
  RunHandler([&] {
    if (auto object = ObjectOf(node)) OpenStructurePage(form_, object->first, object->second);
  });
}

void TObjectTree::Open(QTreeWidgetItem* node) {
  const auto object = ObjectOf(node);
  if (!object) return;
  const TObjectKind kind = object->first;
  if (kind != TObjectKind::Table && kind != TObjectKind::View && kind != TObjectKind::SystemTable)
    return OpenStructure(node);
  // Rows open as Enter on a table's node opens them.
  form_->TreeView1->setCurrentItem(node);
  RunHandler([this] {
    char key = '\r';
    form_->TreeView1KeyPress(key);
  });
}

bool TObjectTree::eventFilter(QObject* watched, QEvent* event) {
  if (watched == form_->TreeView1->header()) {
    if (event->type() == QEvent::Resize) Filter->setGeometry(form_->TreeView1->header()->rect());
    return false;
  }
  if (event->type() == QEvent::Show && !event->spontaneous()) {
    // Shown after a login: the nodes list the new connection's objects when opened.
    Reset();
  } else if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    QTreeWidgetItem* node = form_->TreeView1->currentItem();
    if (key->key() == Qt::Key_F5) {
      RunHandler([this] { Refresh(); });
      return true;
    }
    if (IsReturn(key->key()) && (key->modifiers() & Qt::ControlModifier)) {
      OpenStructure(node);
      return true;
    }
    // Enter on a table under "TABELAS" stays the form's own.
    const auto object = ObjectOf(node);
    if (IsReturn(key->key()) && object && object->first != TObjectKind::Table) {
      Open(node);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

TObjectTree* ObjectTreeOf(TWorkbenchForm* form) {
  return form->findChild<TObjectTree*>(QStringLiteral("ObjectTree"), Qt::FindDirectChildrenOnly);
}

void NoteSchemaChange(TWorkbenchForm* form, bool committed) {
  if (TObjectTree* tree = ObjectTreeOf(form)) tree->NoteSchemaChange(committed);
}
