// The viewer and editor of a blob cell, opened by Shift+F2 or a double click on it: a
// text blob in a word-wrapped editor; a binary one as its picture (JPEG, PNG) or else in
// hexadecimal. Its contents can be loaded from a file and saved to one; OK writes them
// into the field (edit, blob write, post) when the dataset can change it, Cancel
// changes nothing.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class TDBGrid;
class TField;

class TBlobViewer : public QDialog {
 public:
  TBlobViewer(QWidget* parent, TField& field);

  // The contents as the dialog holds them: UTF-8 text for a text blob, else the bytes.
  std::string Contents() const;
  bool Changed() const;
  // Through the program's file box; failures raise.
  void LoadFromFile();
  void SaveToFile();

  QPlainTextEdit* TextView = nullptr;
  QScrollArea* ImageArea = nullptr;
  QLabel* ImageView = nullptr;
  QPlainTextEdit* HexView = nullptr;
  QPushButton* LoadButton = nullptr;
  QPushButton* SaveButton = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  // Shows binary contents as a picture when they are one, else as hexadecimal.
  void ShowBinary();

  bool text_;
  std::string original_;
  std::string bytes_;  // binary contents
};

// Opens the viewer over the grid's current cell and writes what OK gives; false when
// the cell is not a blob's.
bool OpenBlobViewer(TDBGrid& grid);
// Shift+F2 and a double click on a blob cell open the viewer, failures in the error box.
void InstallBlobViewer(TDBGrid& grid);
