// The tree's object nodes below "TABELAS": views, procedures, triggers, generators,
// exceptions, domains, indices and, on request, the system tables. Each is filled from
// the system tables when first expanded, never at login. Also the filter box above the
// tree, F5, the context menu and the structure pages' keys.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "data/metadata/catalogue.h"

class QAction;
class TIBBase;
class QLineEdit;
class QMenu;
class QTreeWidgetItem;
class TWorkbenchForm;

class TObjectTree : public QObject {
 public:
  explicit TObjectTree(TWorkbenchForm* form);
  ~TObjectTree() override;

  // The root node of a kind ("VIEWS (3)" once filled); null for the system tables while
  // they are not shown. Tables are the form's "TABELAS".
  QTreeWidgetItem* Root(TObjectKind kind) const;
  // Reads every filled node and "TABELAS" again, keeping the current node where it
  // still exists: after DDL (F5, or a DDL statement run from the console).
  void Refresh();
  // DDL ran. Committed at once, the tree reads again as soon as no call runs; in the
  // shared transaction, where only it sees the change until it ends, once it does (F4,
  // COMMIT or ROLLBACK).
  void NoteSchemaChange(bool committed);
  // Shows or drops the "TABELAS DO SISTEMA" node.
  void ShowSystemTables(bool shown);
  // The object of a node under a root: its kind and name.
  std::optional<std::pair<TObjectKind, std::string>> ObjectOf(QTreeWidgetItem* node) const;
  // Ctrl+Enter and "Estrutura": the node's structure page.
  void OpenStructure(QTreeWidgetItem* node);
  // Enter or a double click: rows of a table or a view, the structure of anything else.
  void Open(QTreeWidgetItem* node);

  QLineEdit* Filter = nullptr;
  QMenu* Menu = nullptr;
  QAction* StructureAction = nullptr;
  QAction* RefreshAction = nullptr;
  QAction* SystemTablesAction = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeWidgetItem* AddRoot(TObjectKind kind);
  void Fill(QTreeWidgetItem* root);
  // Forgets what the nodes held: a new connection lists its own objects.
  void Reset();
  void ApplyFilter();
  void ApplyFilter(QTreeWidgetItem* root);

  TWorkbenchForm* form_;
  // Hears the end of the shared transaction.
  std::unique_ptr<TIBBase> transaction_link_;
  bool schema_changed_ = false;
  bool refresh_queued_ = false;
};

// The form's object tree; the console tells it of DDL it ran.
TObjectTree* ObjectTreeOf(TWorkbenchForm* form);
void NoteSchemaChange(TWorkbenchForm* form, bool committed);
