#include "dialogs/pdf_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "emf2pdf/picture_fit.h"

namespace dialogs {

namespace {

struct Permission {
  const char* widget;
  const char* caption;
  const char* field;
};

// In bit order, coPrint first.
constexpr Permission kPermissions[8] = {
    {"cbAllowPrinting", "Allow printing", "AllowPrinting"},
    {"cbAllowModifyStructure", "Allow modify structure", "AllowModifyStructure"},
    {"cbAllowCopyInformation", "Allow copy information", "AllowCopyInformation"},
    {"cbAllowModifyAnnotations", "Allow modify annotations", "AllowModifyAnnotation"},
    {"cbAllowHiQualityPrinting", "Allow hi-quality printing", "AllowHiQualityPrinting"},
    {"cbAllowFillAnnotations", "Allow fill annotations", "AllowFillAnnotation"},
    {"cbAllowExtractInfo", "Allow extract info", "AllowExtractInfo"},
    {"cbAllowAssemble", "Allow assemble", "AllowAssemble"},
};

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string Utf8(const QString& text) { return text.toStdString(); }

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* List(const char* name, const QStringList& items) {
  auto* combo = Named(new QComboBox, name);
  combo->addItems(items);
  return combo;
}

// The allowed values the dialog offers.
std::vector<app::PdfOptionChoice> Listed(const app::PdfOptionField& field) {
  std::vector<app::PdfOptionChoice> listed;
  for (const app::PdfOptionChoice& choice : field.choices)
    if (choice.listed) listed.push_back(choice);
  return listed;
}

// The field's offered values, by their captions.
QComboBox* Choices(const char* name, const char* field) {
  QStringList captions;
  for (const app::PdfOptionChoice& choice : Listed(app::PdfOptionFieldNamed(field)))
    captions << choice.caption;
  return List(name, captions);
}

QSpinBox* Margin(const char* name, const char* field) {
  const app::PdfOptionField& margin = app::PdfOptionFieldNamed(field);
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(margin.low, margin.high);
  return spin;
}

// A list shows a number as the position of its choice, or as the position
// itself when the field has no captions of its own; a number the list does
// not offer shows the default.
int ListPosition(const app::PdfOptionField& field, int value, int count) {
  const std::vector<app::PdfOptionChoice> listed = Listed(field);
  for (const int wanted : {value, field.fallback}) {
    if (field.choices.empty() && wanted >= 0 && wanted < count) return wanted;
    for (int i = 0; i < static_cast<int>(listed.size()); ++i)
      if (listed[i].value == wanted) return i;
  }
  return 0;
}

int ListValue(const app::PdfOptionField& field, int position) {
  if (position < 0) return field.fallback;
  return field.choices.empty() ? position : Listed(field)[static_cast<size_t>(position)].value;
}

template <typename T>
T& Member(const app::PdfOptionField& field, app::PdfOptions& options) {
  return options.*std::get<T app::PdfOptions::*>(field.member);
}

void ShowValue(const app::PdfOptionField& field, app::PdfOptions& options, QWidget* widget) {
  if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    box->setChecked(Member<bool>(field, options));
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(Text(Member<std::string>(field, options)));
  } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
    spin->setValue(Member<int>(field, options));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setCurrentIndex(ListPosition(field, Member<int>(field, options), combo->count()));
  }
}

void TakeValue(const app::PdfOptionField& field, const QWidget* widget, app::PdfOptions& options) {
  if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
    Member<bool>(field, options) = box->isChecked();
  } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
    // A password counts only while its box can be used.
    const bool used = field.type != app::PdfOptionType::Password || edit->isEnabled();
    Member<std::string>(field, options) = used ? Utf8(edit->text()) : "";
  } else if (const auto* spin = qobject_cast<const QSpinBox*>(widget)) {
    Member<int>(field, options) = spin->value();
  } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
    Member<int>(field, options) = ListValue(field, combo->currentIndex());
  }
}

// Nothing but white space and control characters.
bool IsBlank(const QString& text) {
  for (const QChar c : text)
    if (!c.isSpace() && c.category() != QChar::Other_Control) return false;
  return true;
}

}  // namespace

// Why the Security tab's protection cannot be turned on.
constexpr const char* kNoEncryption =
    "Protection is off: PDF/A documents cannot be encrypted. Choose \"None\" as PDF/A on the "
    "General tab to protect the document.";

template <typename W>
W* TfrmSavePDFDlg::Bound(W* widget, const char* field) {
  bindings_.push_back({&app::PdfOptionFieldNamed(field), widget});
  return widget;
}

TfrmSavePDFDlg::TfrmSavePDFDlg(app::PdfOptions& options, platform::MessagePresenter& messages,
                               QWidget* parent)
    : QDialog(parent), options_(options), messages_(messages) {
  setWindowTitle("PDF Options");
  pgcOptions_ = Named(new QTabWidget, "pgcOptions");
  pgcOptions_->addTab(makeGeneralTab(), "&General");
  pgcOptions_->addTab(makeSecurityTab(), "&Security");
  pgcOptions_->addTab(makePageSetupTab(), "Page Set&up");
  pgcOptions_->addTab(makeMiscTab(), "&Misc");

  auto* buttons = new QDialogButtonBox;
  auto* button1 = Named(buttons->addButton("Continue", QDialogButtonBox::AcceptRole), "Button1");
  auto* button2 = Named(buttons->addButton("Cancel", QDialogButtonBox::RejectRole), "Button2");
  button1->setDefault(true);
  button2->setAutoDefault(false);
  connect(button1, &QPushButton::clicked, this, [this] { continueClicked(); });
  connect(button2, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pgcOptions_);
  layout->addWidget(buttons);
  // A fixed dialog, as large as its contents need at any scaling.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  pgcOptions_->setMinimumSize(366, 252);
  load();
  UpdateControlStates();
}

QWidget* TfrmSavePDFDlg::makeGeneralTab() {
  auto* tab = new QWidget;
  auto* form = new QFormLayout(tab);
  edTitle_ = Bound(Named(new QLineEdit, "edTitle"), "Title");
  edAuthor_ = Bound(Named(new QLineEdit, "edAuthor"), "Author");
  edSubject_ = Bound(Named(new QLineEdit, "edSubject"), "Subject");
  edKeywords_ = Bound(Named(new QLineEdit, "edKeywords"), "Keywords");
  cbxCompressionType_ = Bound(Choices("cbxCompressionType", "CompressionType"), "CompressionType");
  cbxCompatibility_ = Bound(Choices("cbxCompatibility", "PDFVersion"), "PDFVersion");
  cbxPdfA_ = Bound(Choices("cbxPdfA", "PDFACompliance"), "PDFACompliance");
  pdfaReason_ = Named(new QLabel, "lblPdfAVersion");
  pdfaReason_->setWordWrap(true);
  form->addRow("Title:", edTitle_);
  form->addRow("Author:", edAuthor_);
  form->addRow("Subject:", edSubject_);
  form->addRow("Keywords:", edKeywords_);
  form->addRow("Compression:", cbxCompressionType_);
  form->addRow("Compatibility:", cbxCompatibility_);
  form->addRow("PDF/A:", cbxPdfA_);
  form->addRow(pdfaReason_);
  connect(cbxPdfA_, &QComboBox::currentIndexChanged, this, [this] { UpdateControlStates(); });
  return tab;
}

QWidget* TfrmSavePDFDlg::makeSecurityTab() {
  auto* tab = new QWidget;
  auto* grid = new QGridLayout(tab);
  cbProtectionEnabled_ =
      Bound(Named(new QCheckBox("Protection enabled"), "cbProtectionEnabled"), "ProtectionEnabled");
  cbxProtectionKeyLength_ =
      Bound(Choices("cbxProtectionKeyLength", "ProtectionKeyLength"), "ProtectionKeyLength");
  cbMasterPassword_ =
      Bound(Named(new QCheckBox("Master Password"), "cbMasterPassword"), "MasterPasswordEnabled");
  edMasterPassword_ = Bound(Named(new QLineEdit, "edMasterPassword"), "MasterPassword");
  cbUserPassword_ =
      Bound(Named(new QCheckBox("User Password"), "cbUserPassword"), "UserPasswordEnabled");
  edUserPassword_ = Bound(Named(new QLineEdit, "edUserPassword"), "UserPassword");
  edMasterPassword_->setEchoMode(QLineEdit::Password);
  edUserPassword_->setEchoMode(QLineEdit::Password);
  protectionReason_ = Named(new QLabel(kNoEncryption), "lblPdfAProtection");
  protectionReason_->setWordWrap(true);
  grid->addWidget(protectionReason_, 12, 0, 1, 2);
  grid->addWidget(cbProtectionEnabled_, 0, 0, 1, 2);
  keyLengthLabel_ = new QLabel("Protection Key Length:");
  keyLengthLabel_->setBuddy(cbxProtectionKeyLength_);
  grid->addWidget(keyLengthLabel_, 1, 0);
  grid->addWidget(cbxProtectionKeyLength_, 1, 1);
  grid->addWidget(cbMasterPassword_, 2, 0);
  grid->addWidget(edMasterPassword_, 2, 1);
  grid->addWidget(cbUserPassword_, 3, 0);
  grid->addWidget(edUserPassword_, 3, 1);
  for (int bit = 0; bit < 8; ++bit) {
    const Permission& permission = kPermissions[bit];
    permissions_[bit] =
        Bound(Named(new QCheckBox(permission.caption), permission.widget), permission.field);
    grid->addWidget(permissions_[bit], 4 + bit / 2, bit % 2);
  }
  for (QCheckBox* box : {cbProtectionEnabled_, cbMasterPassword_, cbUserPassword_})
    connect(box, &QCheckBox::clicked, this, [this] { UpdateControlStates(); });
  return tab;
}

QWidget* TfrmSavePDFDlg::makePageSetupTab() {
  auto* tab = new QWidget;
  auto* form = new QFormLayout(tab);
  cbxPageSize_ = Bound(Choices("cbxPageSize", "PageSize"), "PageSize");
  cbxPageOrientation_ = Bound(Choices("cbxPageOrientation", "PageOrientation"), "PageOrientation");
  seLeftMargin_ = Bound(Margin("seLeftMargin", "LeftMargin"), "LeftMargin");
  seTopMargin_ = Bound(Margin("seTopMargin", "TopMargin"), "TopMargin");
  seRightMargin_ = Bound(Margin("seRightMargin", "RightMargin"), "RightMargin");
  seBottomMargin_ = Bound(Margin("seBottomMargin", "BottomMargin"), "BottomMargin");
  form->addRow("Page Size:", cbxPageSize_);
  form->addRow("Orientation:", cbxPageOrientation_);
  form->addRow("Left Margin (in mm):", seLeftMargin_);
  form->addRow("Top Margin (in mm):", seTopMargin_);
  form->addRow("Right Margin (in mm):", seRightMargin_);
  form->addRow("Bottom Margin (in mm):", seBottomMargin_);
  // A page sized by its picture has the picture's orientation.
  connect(cbxPageSize_, &QComboBox::currentIndexChanged, this,
          [this](int position) { cbxPageOrientation_->setEnabled(position != 0); });
  return tab;
}

QWidget* TfrmSavePDFDlg::makeMiscTab() {
  auto* tab = new QWidget;
  auto* form = new QFormLayout(tab);
  cbxCharset_ = Bound(Choices("cbxCharset", "FontCharset"), "FontCharset");
  // The long captions would make the dialog as wide as the screen.
  cbxCharset_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbxCharset_->setMinimumContentsLength(24);
  cbDownloadImages_ =
      Bound(Named(new QCheckBox("Download images from web if needed"), "cbDownloadImages"),
            "DownloadImages");
  cbAutoOpenPDF_ =
      Bound(Named(new QCheckBox("Automatically open generated PDF document"), "cbAutoOpenPDF"),
            "AutoOpenPDF");
  form->addRow("Font Charset:", cbxCharset_);
  form->addRow(cbDownloadImages_);
  form->addRow(cbAutoOpenPDF_);
  return tab;
}

void TfrmSavePDFDlg::load() {
  for (const Binding& binding : bindings_) ShowValue(*binding.field, options_, binding.widget);
}

void TfrmSavePDFDlg::save() {
  for (const Binding& binding : bindings_) TakeValue(*binding.field, binding.widget, options_);
}

void TfrmSavePDFDlg::LoadSettings(platform::RegistryStore& store) {
  options_ = app::LoadPdfOptions(store);
  load();
  UpdateControlStates();
}

void TfrmSavePDFDlg::SaveSettings(platform::RegistryStore& store) const {
  app::SavePdfOptions(store, options_);
}

void TfrmSavePDFDlg::UpdateControlStates() {
  // PDF/A fixes the version of its part and forbids encryption.
  const auto& compliance = app::PdfOptionFieldNamed("PDFACompliance");
  const std::optional<int> version =
      app::PdfVersionForCompliance(ListValue(compliance, cbxPdfA_->currentIndex()));
  if (version) {
    cbxCompatibility_->setCurrentIndex(
        ListPosition(app::PdfOptionFieldNamed("PDFVersion"), *version, cbxCompatibility_->count()));
    cbProtectionEnabled_->setChecked(false);
    pdfaReason_->setText(cbxPdfA_->currentText() + " needs " +
                         (*version == app::kPdfA1bVersion ? "PDF 1.4" : "PDF 1.7") +
                         ", which sets the compatibility, and cannot be encrypted.");
  }
  cbxCompatibility_->setEnabled(!version);
  cbProtectionEnabled_->setEnabled(!version);
  pdfaReason_->setVisible(version.has_value());
  protectionReason_->setVisible(version.has_value());

  const bool p = cbProtectionEnabled_->isChecked();
  cbxProtectionKeyLength_->setEnabled(p);
  keyLengthLabel_->setEnabled(p);
  cbMasterPassword_->setEnabled(p);
  cbUserPassword_->setEnabled(p);
  for (QCheckBox* box : permissions_) box->setEnabled(p);
  edMasterPassword_->setEnabled(p && cbMasterPassword_->isChecked());
  edUserPassword_->setEnabled(p && cbUserPassword_->isChecked());
  cbxPageOrientation_->setEnabled(cbxPageSize_->currentIndex() != 0);
}

bool TfrmSavePDFDlg::AutoOpenPDF() const { return cbAutoOpenPDF_->isChecked(); }
void TfrmSavePDFDlg::SetAutoOpenPDF(bool on) { cbAutoOpenPDF_->setChecked(on); }

void TfrmSavePDFDlg::showEvent(QShowEvent* event) {
  UpdateControlStates();
  pgcOptions_->setCurrentIndex(0);
  QDialog::showEvent(event);
}

QString TfrmSavePDFDlg::inputProblem() const {
  if (!cbProtectionEnabled_->isChecked()) return {};
  const bool user = cbUserPassword_->isChecked();
  const bool master = cbMasterPassword_->isChecked();
  if ((user && IsBlank(edUserPassword_->text())) || (master && IsBlank(edMasterPassword_->text())))
    return "Please enter password or uncheck User or Master passwords options to continue!";
  // PDF readers turn a typed password into Windows-1252 bytes, or for
  // 256-bit AES into Unicode after SASLprep; any other could never be typed
  // back.
  const int keyLength = ListValue(app::PdfOptionFieldNamed("ProtectionKeyLength"),
                                  cbxProtectionKeyLength_->currentIndex());
  for (const QLineEdit* edit :
       {user ? edUserPassword_ : nullptr, master ? edMasterPassword_ : nullptr}) {
    std::string problem;
    if (edit == nullptr || app::PdfPasswordFor(Utf8(edit->text()), keyLength, &problem)) continue;
    if (keyLength != app::kAes256KeyLength)
      return "A PDF password can only hold Western European (Windows-1252) characters. Please "
             "change the password to continue!";
    return QString::fromStdString("This password " + problem +
                                  ". Please change the password to continue!");
  }
  return {};
}

bool TfrmSavePDFDlg::marginsFit() {
  const auto size = static_cast<pdf::TPDFPageSize>(cbxPageSize_->currentIndex());
  const auto orientation =
      static_cast<pdf::TPDFPageOrientation>(cbxPageOrientation_->currentIndex());
  const emf2pdf::PageMargins margins{
      static_cast<double>(seLeftMargin_->value()), static_cast<double>(seTopMargin_->value()),
      static_cast<double>(seRightMargin_->value()), static_cast<double>(seBottomMargin_->value())};
  if (emf2pdf::PictureFits(size, orientation, margins)) return true;
  const auto page = emf2pdf::FixedPageSize(size, orientation);
  const auto millimetres = [](int points) {
    return std::to_string(static_cast<int>(points * 25.4 / 72));
  };
  pgcOptions_->setCurrentIndex(2);
  messages_.Show("The margins leave no room for the picture on a " + millimetres(page->width) +
                     " x " + millimetres(page->height) +
                     " mm page. Please make them smaller to continue!",
                 "Page Setup", platform::MessageIcon::Warning);
  return false;
}

void TfrmSavePDFDlg::continueClicked() {
  const QString problem = inputProblem();
  if (!problem.isEmpty()) {
    messages_.Show(Utf8(problem), "Enter Password", platform::MessageIcon::Warning);
    return;
  }
  if (!marginsFit()) return;
  save();
  accept();
}

}  // namespace dialogs
