// The console's dialogs on the one road of every dialog: the markers' values and the
// .sql file to open or save.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "grid/qt_text.h"
#include "workbench/dialogs.h"

bool TDialogs::AskParameters(QWidget* parent, std::vector<TParameterValue>* values) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Parâmetros"));
  auto* layout = new QGridLayout(&dialog);
  std::vector<QLineEdit*> edits;
  std::vector<QCheckBox*> nulls;
  int row = 0;
  for (const TParameterValue& value : *values) {
    layout->addWidget(
        new QLabel(ToQt(value.name) + " (" + ToQt(value.type_name) + ")", &dialog), row,
        0);
    auto* edit = new QLineEdit(ToQt(value.text), &dialog);
    auto* null = new QCheckBox(QStringLiteral("NULL"), &dialog);
    null->setChecked(value.is_null);
    QObject::connect(null, &QCheckBox::toggled, edit, &QLineEdit::setDisabled);
    edit->setDisabled(value.is_null);
    layout->addWidget(edit, row, 1);
    layout->addWidget(null, row, 2);
    edits.push_back(edit);
    nulls.push_back(null);
    ++row;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons, row, 0, 1, 3);
  if (dialog.exec() != QDialog::Accepted) return false;
  for (size_t i = 0; i < values->size(); ++i) {
    (*values)[i].is_null = nulls[i]->isChecked();
    (*values)[i].text = FromQt(edits[i]->text());
  }
  return true;
}

QString TDialogs::ChooseSqlFile(QWidget* parent, bool save) {
  const QString filter = QStringLiteral("SQL (*.sql);;Todos (*)");
  if (!save) return QFileDialog::getOpenFileName(parent, QStringLiteral("Abrir SQL"), {}, filter);
  QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Salvar SQL"), {}, filter);
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".sql");
  return name;
}

bool TRecordingDialogs::AskParameters(QWidget*, std::vector<TParameterValue>* values) {
  parameter_requests.push_back(*values);
  if (parameter_answers.empty()) return false;
  const std::vector<TParameterValue> answer = parameter_answers.front();
  parameter_answers.erase(parameter_answers.begin());
  for (size_t i = 0; i < values->size() && i < answer.size(); ++i) {
    (*values)[i].text = answer[i].text;
    (*values)[i].is_null = answer[i].is_null;
  }
  return true;
}

QString TRecordingDialogs::ChooseSqlFile(QWidget*, bool) {
  if (sql_file_answers.empty()) return {};
  const QString answer = sql_file_answers.front();
  sql_file_answers.erase(sql_file_answers.begin());
  return answer;
}
