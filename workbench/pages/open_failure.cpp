#include "workbench/pages/open_failure.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/dataset/dataset.h"
#include "grid/db_grid.h"
#include "grid/qt_text.h"
#include "workbench/dialogs.h"

const char* const kOpenFailedText = "Não foi possível abrir esta tabela:";

void ShowOpenFailure(QWidget* page, TDBGrid* grid, TDataSet* dataset, const std::string& message) {
  try {
    dataset->Close();
  } catch (const Exception&) {
    // The open's failure is the one to show.
  }
  grid->hide();
  auto* panel = new QWidget(page);
  panel->setObjectName(QStringLiteral("OpenFailure"));
  panel->setGeometry(grid->geometry());
  auto* layout = new QVBoxLayout(panel);
  auto* text = new QLabel(ToQt(std::string(kOpenFailedText) + "\n\n" + message), panel);
  text->setWordWrap(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* again = new QPushButton(QStringLiteral("Abrir novamente"), panel);
  again->setObjectName(QStringLiteral("OpenAgain"));
  layout->addWidget(text);
  layout->addWidget(again, 0, Qt::AlignLeft);
  layout->addStretch();
  panel->show();
  QObject::connect(again, &QPushButton::clicked, panel, [panel, grid, dataset, text] {
    RunHandler([&] {
      try {
        dataset->Open();
      } catch (const std::exception& error) {
        try {
          dataset->Close();
        } catch (const Exception&) {
        }
        text->setText(ToQt(std::string(kOpenFailedText) + "\n\n" + error.what()));
        throw;
      }
      grid->show();
      grid->setFocus();
      panel->deleteLater();
    });
  });
}
