#pragma once

#include <QDialog>
#include <string>

#include <vector>

#include "app/pdf_options.h"
#include "platform/message_box.h"
#include "platform/registry_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace dialogs {

// The "PDF Options" dialog: a view over the options passed in, one widget per
// field of the options table. The widgets carry the names the run and the
// tests find them by (edTitle, cbProtectionEnabled, ...).
class TfrmSavePDFDlg : public QDialog {
 public:
  // What the user must put right is said through `messages`.
  TfrmSavePDFDlg(app::PdfOptions& options, platform::MessagePresenter& messages,
                 QWidget* parent = nullptr);

  // The options <- key, then the widgets <- options; the producer is kept.
  void LoadSettings(platform::RegistryStore& store);
  // The key <- options (as taken from the widgets on Continue).
  void SaveSettings(platform::RegistryStore& store) const;
  // Protection, its key length, passwords and permissions follow the boxes;
  // PDF/A sets the version and turns protection off, both then locked.
  void UpdateControlStates();

  const std::string& Producer() const { return producer_; }
  void SetProducer(const std::string& producer) { producer_ = producer; }
  bool AutoOpenPDF() const;
  void SetAutoOpenPDF(bool on);

  // The widgets <- options, and back; exposed for the run and for tests.
  void load();
  void save();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* makeGeneralTab();
  QWidget* makeSecurityTab();
  QWidget* makePageSetupTab();
  QWidget* makeMiscTab();
  void continueClicked();
  // The reason the input cannot be used, or empty.
  QString inputProblem() const;
  // The margins must leave room for the picture; false after saying so.
  bool marginsFit();
  // The widget that shows the field named.
  template <typename W>
  W* Bound(W* widget, const char* field);

  app::PdfOptions& options_;  // outlives the dialog
  platform::MessagePresenter& messages_;
  std::string producer_;
  struct Binding {
    const app::PdfOptionField* field;
    QWidget* widget;
  };
  std::vector<Binding> bindings_;
  QTabWidget* pgcOptions_ = nullptr;
  QLineEdit* edTitle_ = nullptr;
  QLineEdit* edAuthor_ = nullptr;
  QLineEdit* edSubject_ = nullptr;
  QLineEdit* edKeywords_ = nullptr;
  QComboBox* cbxCompressionType_ = nullptr;
  QComboBox* cbxCompatibility_ = nullptr;
  QComboBox* cbxPdfA_ = nullptr;
  QLabel* pdfaReason_ = nullptr;        // why the version list is fixed
  QLabel* protectionReason_ = nullptr;  // why protection cannot be turned on
  QCheckBox* cbProtectionEnabled_ = nullptr;
  QComboBox* cbxProtectionKeyLength_ = nullptr;
  QLabel* keyLengthLabel_ = nullptr;
  QCheckBox* cbMasterPassword_ = nullptr;
  QLineEdit* edMasterPassword_ = nullptr;
  QCheckBox* cbUserPassword_ = nullptr;
  QLineEdit* edUserPassword_ = nullptr;
  QCheckBox* permissions_[8] = {};
  QComboBox* cbxPageSize_ = nullptr;
  QComboBox* cbxPageOrientation_ = nullptr;
  QSpinBox* seLeftMargin_ = nullptr;
  QSpinBox* seTopMargin_ = nullptr;
  QSpinBox* seRightMargin_ = nullptr;
  QSpinBox* seBottomMargin_ = nullptr;
  QComboBox* cbxCharset_ = nullptr;
  QCheckBox* cbDownloadImages_ = nullptr;
  QCheckBox* cbAutoOpenPDF_ = nullptr;
};

}  // namespace dialogs
