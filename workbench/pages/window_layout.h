// The controls follow the window: the original bounds are those of the working size
// the growth animation ends at; beyond it the tree grows in height, the pages fill the
// rest, each grid fills its page and the SQL editor grows in width only. A splitter
// sits between tree and pages. The window's geometry and the splitter are kept in
// settings.ini under the data folder between runs.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSettings>
#include <QSize>
#include <QString>
#include <map>

class QWidget;
class TWorkbenchForm;

// The user's data folder: $TAVREL_DATA_DIR, else the platform's application data folder.
QString DataFolder();
// settings.ini in the data folder.
QSettings UserSettings();

class TWindowLayout : public QObject {
 public:
  explicit TWindowLayout(TWorkbenchForm* form);

  // The outer size the original bounds belong to: where the growth after login ends.
  static constexpr QSize kWorkingSize{651, 452};

  // Lays the controls out for the window's size and the splitter.
  void Apply();
  // How far the splitter has moved the tree's right edge from its original place.
  int SplitOffset() const { return split_; }
  void SetSplitOffset(int offset);
  // A table page's grid fills its page but for the margins it was made with.
  void AnchorPageGrid(QWidget* page, QWidget* grid);
  // The remembered geometry and splitter, once per run (the first login).
  void Restore();
  // Writes the geometry last seen at working size and the splitter.
  void Save();

  QWidget* Splitter = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Below the working size the original bounds stay, except in a window the person
  // made smaller after it had grown.
  QSize Growth() const;
  void ApplyToPages();
  TWorkbenchForm* form_;
  int split_ = 0;
  bool restored_ = false;
  QByteArray geometry_;
  std::map<QObject*, QWidget*> grid_of_page_;
};
