// "Arquivo" > "Exportar CSV...": the rows of the current page (a table page, or the
// "Consulta SQL" grid with an open dataset) written to a CSV file, every row fetched as
// it goes. After half a second a progress box counts the rows written; "Cancelar" or Esc
// stops. The file appears only when the export is complete (it is written beside it
// under another name first), and the page goes back to the row it was on.
#pragma once

#include <QObject>

class QAction;
class TDBGrid;
class TWorkbenchForm;

class TCsvExport : public QObject {
 public:
  explicit TCsvExport(TWorkbenchForm* form);

  QAction* Action = nullptr;
  // How long the export runs before the box shows, and the rows between two looks at
  // the window; tests may shorten them.
  int DelayMs = 500;
  int RowsPerStep = 2000;

  // The grid of the current page when its rows can be exported, else null.
  TDBGrid* ExportableGrid() const;
  // Enables the action for the current page.
  void UpdateAction();
  // Asks for the file and exports; failures raise.
  void Run();

 private:
  TWorkbenchForm* form_;
};
