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

bool TDialogs::AskParameters(QWidget* parent, std::vector<TParameterValue>* values,
                             const TParameterCheck& check) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Parâmetros"));
  auto* layout = new QGridLayout(&dialog);
  std::vector<QLineEdit*> edits;
  std::vector<QCheckBox*> nulls;
  std::vector<QLabel*> refusals;
  int row = 0;
  for (const TParameterValue& value : *values) {
    layout->addWidget(new QLabel(ToQt(value.name) + " (" + ToQt(value.type_name) + ")", &dialog),
                      row, 0);
    auto* edit = new QLineEdit(ToQt(value.text), &dialog);
    auto* null = new QCheckBox(QStringLiteral("NULL"), &dialog);
    null->setChecked(value.is_null);
    QObject::connect(null, &QCheckBox::toggled, edit, &QLineEdit::setDisabled);
    edit->setDisabled(value.is_null);
    auto* refusal = new QLabel(&dialog);
    refusal->setObjectName(QStringLiteral("Refusal"));
    refusal->setStyleSheet(QStringLiteral("color: #c00000"));
    refusal->hide();
    layout->addWidget(edit, row, 1);
    layout->addWidget(null, row, 2);
    layout->addWidget(refusal, row, 3);
    edits.push_back(edit);
    nulls.push_back(null);
    refusals.push_back(refusal);
    ++row;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto read = [&] {
    for (size_t i = 0; i < values->size(); ++i) {
      (*values)[i].is_null = nulls[i]->isChecked();
      (*values)[i].text = FromQt(edits[i]->text());
    }
  };
  // A refused value keeps the box open with what was typed, the refusal beside it.
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    RunHandler([&] {
      read();
      QLineEdit* first_refused = nullptr;
      for (size_t i = 0; i < values->size(); ++i) {
        const std::string refusal = check ? check(i, (*values)[i]) : std::string();
        refusals[i]->setText(ToQt(refusal));
        refusals[i]->setVisible(!refusal.empty());
        if (!refusal.empty() && !first_refused) first_refused = edits[i];
      }
      if (!first_refused) {
        dialog.accept();
        return;
      }
      first_refused->setFocus();
      first_refused->selectAll();
    });
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons, row, 0, 1, 4);
  if (dialog.exec() != QDialog::Accepted) return false;
  read();
  return true;
}

QString TDialogs::ChooseSqlFile(QWidget* parent, bool save) {
  const QString filter = QStringLiteral("SQL (*.sql);;Todos (*)");
  if (!save) return QFileDialog::getOpenFileName(parent, QStringLiteral("Abrir SQL"), {}, filter);
  QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Salvar SQL"), {}, filter);
  if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".sql");
  return name;
}

bool TRecordingDialogs::AskParameters(QWidget*, std::vector<TParameterValue>* values,
                                      const TParameterCheck& check) {
  parameter_requests.push_back(*values);
  while (!parameter_answers.empty()) {
    const std::vector<TParameterValue> answer = parameter_answers.front();
    parameter_answers.erase(parameter_answers.begin());
    for (size_t i = 0; i < values->size() && i < answer.size(); ++i) {
      (*values)[i].text = answer[i].text;
      (*values)[i].is_null = answer[i].is_null;
    }
    bool refused = false;
    for (size_t i = 0; i < values->size() && check; ++i) {
      const std::string refusal = check(i, (*values)[i]);
      if (refusal.empty()) continue;
      parameter_refusals.push_back(refusal);
      refused = true;
    }
    if (!refused) return true;
  }
  return false;
}

QString TRecordingDialogs::ChooseSqlFile(QWidget*, bool) {
  if (sql_file_answers.empty()) return {};
  const QString answer = sql_file_answers.front();
  sql_file_answers.erase(sql_file_answers.begin());
  return answer;
}
