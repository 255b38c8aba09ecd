#pragma once

#include <QFileDialog>
#include <string>

class QCheckBox;

namespace dialogs {

// The save dialog of dialog mode: Qt's own (non-native) file dialog, the same
// under every desktop, with the file types of the six outputs and a panel of
// three post-action check boxes under the standard controls.
class TSaveSWFDialog : public QFileDialog {
 public:
  TSaveSWFDialog();

  bool GenerateHTML() const;
  void SetGenerateHTML(bool on);
  bool OpenGeneratedFile() const;
  void SetOpenGeneratedFile(bool on);
  bool FileExplore() const;
  void SetFileExplore(bool on);

  // Counted from 1; anything outside 1..6 shows the first file type.
  int FilterIndex() const;
  void SetFilterIndex(int index);
  void SetInitialDir(const std::string& folder);
  std::string FileName() const;
  void SetFileName(const std::string& name);

  // True when the user pressed Save.
  bool Execute();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void addBottomPanel();

  QWidget* BottomPanel = nullptr;
  QCheckBox* cbHtml = nullptr;
  QCheckBox* cbFileOpen = nullptr;
  QCheckBox* cbFileExplore = nullptr;
};

}  // namespace dialogs
