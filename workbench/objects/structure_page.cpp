#include "workbench/objects/structure_page.h"

#include <QFont>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdint>
#include <vector>

#include "data/metadata/ddl.h"
#include "grid/qt_text.h"
#include "workbench/main_form.h"

namespace {

// A row of cells: data-layer text through ToQt, the page's own words as they are.
using TRow = QStringList;

QString Q(const std::string& text) {
  return ToQt(text);
}
QString Q(int64_t number) {
  return QString::number(number);
}
QString YesText(bool value) {
  return value ? QStringLiteral("Sim") : QStringLiteral("Não");
}

QString Joined(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << Q(name);
  return list.join(QStringLiteral(", "));
}

// A read-only grid of text cells; data-layer text goes through ToQt.
QTableWidget* Grid(const QStringList& headers, const std::vector<TRow>& rows) {
  auto* grid = new QTableWidget(static_cast<int>(rows.size()), headers.size());
  grid->setHorizontalHeaderLabels(headers);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size() && c < headers.size(); ++c)
      grid->setItem(int(r), c, new QTableWidgetItem(rows[r][c]));
  grid->resizeColumnsToContents();
  return grid;
}

// Name and value pairs, for objects that are one set of properties.
QTableWidget* Properties(const std::vector<TRow>& rows) {
  return Grid({QStringLiteral("Propriedade"), QStringLiteral("Valor")}, rows);
}

QPlainTextEdit* Text(const std::string& text) {
  auto* view = new QPlainTextEdit(ToQt(text));
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font(QStringLiteral("Monospace"));
  font.setStyleHint(QFont::TypeWriter);
  view->setFont(font);
  return view;
}

void AddRelationTabs(QTabWidget* tabs, const TRelationInfo& relation) {
  std::vector<TRow> columns;
  for (const TColumnInfo& c : relation.columns)
    columns.push_back({Q(c.position + 1), Q(c.name), Q(c.type_text), Q(c.domain),
                       YesText(c.not_null || c.domain_not_null), Q(c.default_source),
                       Q(c.computed_source), Q(c.description)});
  tabs->addTab(
      Grid({"Posição", "Nome", "Tipo", "Domínio", "Not Null", "Padrão", "Calculado", "Descrição"},
           columns),
      QStringLiteral("Colunas"));
  if (relation.view) return;
  std::vector<TRow> keys;
  for (const TConstraintInfo& k : relation.constraints)
    keys.push_back({Q(k.name), Q(k.kind), Joined(k.columns), Q(k.referenced_table),
                    Joined(k.referenced_columns), Q(k.update_rule), Q(k.delete_rule),
                    Q(k.check_source), Q(k.index_name)});
  tabs->addTab(Grid({"Nome", "Tipo", "Colunas", "Tabela referida", "Colunas referidas",
                     "Ao atualizar", "Ao excluir", "Condição", "Índice"},
                    keys),
               QStringLiteral("Chaves"));
  std::vector<TRow> indices;
  for (const TIndexInfo& i : relation.indices)
    indices.push_back({Q(i.name),
                       i.expression_source.empty() ? Joined(i.columns) : Q(i.expression_source),
                       YesText(i.unique), YesText(i.descending), YesText(i.active),
                       QString::number(i.statistics)});
  tabs->addTab(Grid({"Nome", "Colunas", "Único", "Descendente", "Ativo", "Estatística"}, indices),
               QStringLiteral("Índices"));
}

void AddTriggers(QTabWidget* tabs, const std::vector<TTriggerInfo>& triggers) {
  std::vector<TRow> rows;
  for (const TTriggerInfo& t : triggers)
    rows.push_back({Q(t.name), Q(t.type_text), Q(t.position), YesText(t.active)});
  tabs->addTab(Grid({"Nome", "Tipo", "Posição", "Ativo"}, rows), QStringLiteral("Gatilhos"));
}

void AddTabs(QTabWidget* tabs, TIBDatabase* db, TObjectKind kind, const std::string& name) {
  switch (kind) {
    case TObjectKind::Table:
    case TObjectKind::View:
    case TObjectKind::SystemTable: {
      const TRelationInfo relation = ReadRelation(db, name);
      AddRelationTabs(tabs, relation);
      AddTriggers(tabs, relation.triggers);
      if (relation.view) tabs->addTab(Text(relation.view_source), QStringLiteral("Código"));
      break;
    }
    case TObjectKind::Procedure: {
      const TProcedureInfo procedure = ReadProcedure(db, name);
      std::vector<TRow> rows;
      for (const auto* list : {&procedure.inputs, &procedure.outputs})
        for (const TParameterInfo& p : *list)
          rows.push_back({Q(p.name), p.output ? QStringLiteral("Saída") : QStringLiteral("Entrada"),
                          Q(p.domain.empty() ? p.type_text : p.domain + " (" + p.type_text + ")"),
                          YesText(p.not_null), Q(p.default_source)});
      tabs->addTab(Grid({"Nome", "Direção", "Tipo", "Not Null", "Padrão"}, rows),
                   QStringLiteral("Parâmetros"));
      tabs->addTab(Text(procedure.source), QStringLiteral("Código"));
      break;
    }
    case TObjectKind::Trigger: {
      const TTriggerInfo trigger = ReadTrigger(db, name);
      tabs->addTab(Properties({{"Tabela", Q(trigger.relation)},
                               {"Tipo", Q(trigger.type_text)},
                               {"Posição", Q(trigger.position)},
                               {"Ativo", YesText(trigger.active)}}),
                   QStringLiteral("Gatilho"));
      tabs->addTab(Text(trigger.source), QStringLiteral("Código"));
      break;
    }
    case TObjectKind::Generator: {
      const TGeneratorInfo generator = ReadGenerator(db, name);
      tabs->addTab(Properties({{"Valor atual", Q(generator.value)},
                               {"Valor inicial", Q(generator.initial_value)},
                               {"Incremento", Q(generator.increment)}}),
                   QStringLiteral("Gerador"));
      break;
    }
    case TObjectKind::Exception:
      tabs->addTab(Properties({{"Mensagem", Q(ReadException(db, name).message)}}),
                   QStringLiteral("Exceção"));
      break;
    case TObjectKind::Domain: {
      const TDomainInfo domain = ReadDomain(db, name);
      tabs->addTab(Properties({{"Tipo", Q(domain.type_text)},
                               {"Not Null", YesText(domain.not_null)},
                               {"Padrão", Q(domain.default_source)},
                               {"Verificação", Q(domain.check_source)},
                               {"Descrição", Q(domain.description)}}),
                   QStringLiteral("Domínio"));
      break;
    }
    case TObjectKind::Index: {
      const TIndexInfo index = ReadIndex(db, name);
      tabs->addTab(Properties({{"Tabela", Q(index.relation)},
                               {"Colunas", Joined(index.columns)},
                               {"Expressão", Q(index.expression_source)},
                               {"Único", YesText(index.unique)},
                               {"Descendente", YesText(index.descending)},
                               {"Ativo", YesText(index.active)},
                               {"Estatística", QString::number(index.statistics)}}),
                   QStringLiteral("Índice"));
      break;
    }
  }
  tabs->addTab(Text(ObjectDdl(db, kind, name)), QStringLiteral("DDL"));
}

}  // namespace

QString StructureCaption(const std::string& name) {
  return QStringLiteral("Estrutura: ") + ToQt(name);
}

void OpenStructurePage(TWorkbenchForm* form, TObjectKind kind, const std::string& name) {
  // Everything is read before the page exists, so a failure leaves no empty page.
  auto* tabs = new QTabWidget;
  try {
    AddTabs(tabs, form->IBDatabase1, kind, name);
  } catch (...) {
    delete tabs;
    throw;
  }
  const QSize page_size = form->PageControl1->currentWidget()->size();
  auto* page = new QWidget;
  tabs->setParent(page);
  tabs->setGeometry(0, 0, page_size.width() - 1, page_size.height() - 1);
  form->PageControl1->addTab(page, StructureCaption(name));
  form->PageControl1->setCurrentWidget(page);
}
