// One QApplication for a Qt test program, made before the first test and freed after
// the last.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

// Whatever the program keeps between runs (settings, history) goes to a folder of the
// test program's own, never the person's, unless a test names another.
class TDataFolderEnvironment {
 public:
  TDataFolderEnvironment() {
    if (std::getenv("TAVREL_DATA_DIR")) return;
    folder_ = std::make_unique<QTemporaryDir>();
    setenv("TAVREL_DATA_DIR", folder_->path().toLocal8Bit().constData(), 1);
  }
  ~TDataFolderEnvironment() {
    if (folder_) unsetenv("TAVREL_DATA_DIR");
  }

 private:
  std::unique_ptr<QTemporaryDir> folder_;
};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = new QApplication(argc_, argv_); }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[5] = "test";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
  TDataFolderEnvironment data_folder_;
};
