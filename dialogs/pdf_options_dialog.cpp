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
#include <climits>

#include "app/pdf_options_reader.h"
#include "pdf/pdf_types.h"
#include "platform/message_box.h"

namespace dialogs {

namespace {

struct Permission {
  const char* name;
  const char* caption;
};

// In bit order, coPrint first.
constexpr Permission kPermissions[8] = {
    {"cbAllowPrinting", "Allow printing"},
    {"cbAllowModifyStructure", "Allow modify structure"},
    {"cbAllowCopyInformation", "Allow copy information"},
    {"cbAllowModifyAnnotations", "Allow modify annotations"},
    {"cbAllowHiQualityPrinting", "Allow hi-quality printing"},
    {"cbAllowFillAnnotations", "Allow fill annotations"},
    {"cbAllowExtractInfo", "Allow extract info"},
    {"cbAllowAssemble", "Allow assemble"},
};

// Position i is the stored PageSize i; 0 sizes each page by its picture.
const char* const kPageSizes[] = {"Same as the printed page",
                                  "Letter",
                                  "A4",
                                  "A3",
                                  "Legal",
                                  "B5",
                                  "C5",
                                  "8x11",
                                  "B4",
                                  "A5",
                                  "Folio",
                                  "Executive",
                                  "EnvB4",
                                  "EnvB5",
                                  "EnvC6",
                                  "EnvDL",
                                  "EnvMonarch",
                                  "Env9",
                                  "Env10",
                                  "Env11"};

struct Charset {
  const char* caption;
  int number;
};

constexpr Charset kCharsets[] = {
    {"ANSI characters set", 0},
    {"Default charset", 1},
    {"Standard symbol set", 2},
    {"Macintosh characters", 77},
    {"Japanese shift-JIS characters", 128},
    {"Korean characters (Wansung)", 129},
    {"Korean characters (Johab)", 130},
    {"Simplified Chinese characters (mainland china)", 134},
    {"Traditional Chinese characters (Taiwanese)", 136},
    {"Greek characters", 161},
    {"Turkish characters", 162},
    {"Vietnamese characters", 163},
    {"Hebrew characters", 177},
    {"Arabic characters", 178},
    {"Baltic characters", 186},
    {"Cyrillic characters", 204},
    {"Thai characters", 222},
    {"East Europe charset. Includes diacritical marks for eastern european countries.", 238},
    {"OEM Charset. Depends on the codepage of the operating system.", 255},
};
constexpr int kDefaultCharsetPosition = 1;

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

QSpinBox* Margin(const char* name) {
  auto* spin = Named(new QSpinBox, name);
  // Whole millimetres; a page is never near a metre wide.
  spin->setRange(0, 9999);
  return spin;
}

// Positions outside the list take the default one.
void Select(QComboBox* combo, int position, int fallback) {
  combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : fallback);
}

// Nothing but white space and control characters.
bool IsBlank(const QString& text) {
  for (const QChar c : text)
    if (!c.isSpace() && c.category() != QChar::Other_Control) return false;
  return true;
}

}  // namespace

TfrmSavePDFDlg::TfrmSavePDFDlg(app::PdfOptionsRecord& options, QWidget* parent)
    : QDialog(parent), options_(options) {
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
  edTitle_ = Named(new QLineEdit, "edTitle");
  edAuthor_ = Named(new QLineEdit, "edAuthor");
  edSubject_ = Named(new QLineEdit, "edSubject");
  edKeywords_ = Named(new QLineEdit, "edKeywords");
  cbxCompressionType_ = List("cbxCompressionType", {"None", "Flate"});
  cbxCompatibility_ =
      List("cbxCompatibility", {"Acrobat 4.x and higher", "Acrobat 5.x and higher"});
  form->addRow("Title:", edTitle_);
  form->addRow("Author:", edAuthor_);
  form->addRow("Subject:", edSubject_);
  form->addRow("Keywords:", edKeywords_);
  form->addRow("Compression:", cbxCompressionType_);
  form->addRow("Compatibility:", cbxCompatibility_);
  return tab;
}

QWidget* TfrmSavePDFDlg::makeSecurityTab() {
  auto* tab = new QWidget;
  auto* grid = new QGridLayout(tab);
  cbProtectionEnabled_ = Named(new QCheckBox("Protection enabled"), "cbProtectionEnabled");
  cbxProtectionKeyLength_ = List("cbxProtectionKeyLength", {"40-bit", "128-bit"});
  cbMasterPassword_ = Named(new QCheckBox("Master Password"), "cbMasterPassword");
  edMasterPassword_ = Named(new QLineEdit, "edMasterPassword");
  cbUserPassword_ = Named(new QCheckBox("User Password"), "cbUserPassword");
  edUserPassword_ = Named(new QLineEdit, "edUserPassword");
  edMasterPassword_->setEchoMode(QLineEdit::Password);
  edUserPassword_->setEchoMode(QLineEdit::Password);
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
    permissions_[bit] = Named(new QCheckBox(kPermissions[bit].caption), kPermissions[bit].name);
    grid->addWidget(permissions_[bit], 4 + bit / 2, bit % 2);
  }
  for (QCheckBox* box : {cbProtectionEnabled_, cbMasterPassword_, cbUserPassword_})
    connect(box, &QCheckBox::clicked, this, [this] { UpdateControlStates(); });
  return tab;
}

QWidget* TfrmSavePDFDlg::makePageSetupTab() {
  auto* tab = new QWidget;
  auto* form = new QFormLayout(tab);
  QStringList sizes;
  for (const char* size : kPageSizes) sizes << size;
  cbxPageSize_ = List("cbxPageSize", sizes);
  cbxPageOrientation_ = List("cbxPageOrientation", {"Portrait", "Landscape"});
  seLeftMargin_ = Margin("seLeftMargin");
  seTopMargin_ = Margin("seTopMargin");
  seRightMargin_ = Margin("seRightMargin");
  seBottomMargin_ = Margin("seBottomMargin");
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
  QStringList charsets;
  for (const Charset& charset : kCharsets) charsets << charset.caption;
  cbxCharset_ = List("cbxCharset", charsets);
  // The long captions would make the dialog as wide as the screen.
  cbxCharset_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbxCharset_->setMinimumContentsLength(24);
  cbDownloadImages_ =
      Named(new QCheckBox("Download images from web if needed"), "cbDownloadImages");
  cbAutoOpenPDF_ =
      Named(new QCheckBox("Automatically open generated PDF document"), "cbAutoOpenPDF");
  form->addRow("Font Charset:", cbxCharset_);
  form->addRow(cbDownloadImages_);
  form->addRow(cbAutoOpenPDF_);
  return tab;
}

void TfrmSavePDFDlg::load() {
  const app::PdfOptionsRecord& o = options_;
  edTitle_->setText(Text(o.title));
  edAuthor_->setText(Text(o.author));
  edSubject_->setText(Text(o.subject));
  edKeywords_->setText(Text(o.keywords));
  Select(cbxCompressionType_, o.compressionType, 1);
  Select(cbxCompatibility_, o.pdfVersion, 0);
  for (int bit = 0; bit < 8; ++bit) permissions_[bit]->setChecked(o.cryptoOptions >> bit & 1);
  Select(cbxProtectionKeyLength_, o.protectionKeyLength, 0);
  cbProtectionEnabled_->setChecked(o.protectionEnabled);
  cbUserPassword_->setChecked(o.userPasswordEnabled);
  cbMasterPassword_->setChecked(o.masterPasswordEnabled);
  edUserPassword_->setText(Text(o.userPassword));
  edMasterPassword_->setText(Text(o.masterPassword));
  Select(cbxPageSize_, o.pageSize, 2);
  Select(cbxPageOrientation_, o.pageOrientation, 0);
  seLeftMargin_->setValue(o.leftMargin);
  seRightMargin_->setValue(o.rightMargin);
  seTopMargin_->setValue(o.topMargin);
  seBottomMargin_->setValue(o.bottomMargin);
  int charset = kDefaultCharsetPosition;
  for (int i = 0; i < static_cast<int>(std::size(kCharsets)); ++i)
    if (kCharsets[i].number == o.fontCharset) charset = i;
  cbxCharset_->setCurrentIndex(charset);
  cbDownloadImages_->setChecked(o.downloadImages);
  cbAutoOpenPDF_->setChecked(o.autoOpenPdf);
}

void TfrmSavePDFDlg::save() {
  app::PdfOptionsRecord& o = options_;
  o.title = Utf8(edTitle_->text());
  o.author = Utf8(edAuthor_->text());
  o.subject = Utf8(edSubject_->text());
  o.keywords = Utf8(edKeywords_->text());
  o.compressionType = cbxCompressionType_->currentIndex();
  o.pdfVersion = cbxCompatibility_->currentIndex();
  o.cryptoOptions = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (permissions_[bit]->isChecked())
      o.cryptoOptions = static_cast<unsigned char>(o.cryptoOptions | 1 << bit);
  o.protectionKeyLength = cbxProtectionKeyLength_->currentIndex();
  o.protectionEnabled = cbProtectionEnabled_->isChecked();
  o.userPasswordEnabled = cbUserPassword_->isChecked();
  o.masterPasswordEnabled = cbMasterPassword_->isChecked();
  // A password counts only while its box can be used.
  o.userPassword = cbUserPassword_->isEnabled() ? Utf8(edUserPassword_->text()) : "";
  o.masterPassword = cbMasterPassword_->isEnabled() ? Utf8(edMasterPassword_->text()) : "";
  o.pageSize = cbxPageSize_->currentIndex();
  o.pageOrientation = cbxPageOrientation_->currentIndex();
  o.leftMargin = seLeftMargin_->value();
  o.rightMargin = seRightMargin_->value();
  o.topMargin = seTopMargin_->value();
  o.bottomMargin = seBottomMargin_->value();
  const int charset = cbxCharset_->currentIndex();
  o.fontCharset = kCharsets[charset < 0 ? kDefaultCharsetPosition : charset].number;
  o.downloadImages = cbDownloadImages_->isChecked();
  o.autoOpenPdf = cbAutoOpenPDF_->isChecked();
}

void TfrmSavePDFDlg::LoadSettings(platform::RegistryStore& store) {
  options_ = app::LoadPdfOptionsRecord(store);
  load();
  UpdateControlStates();
}

void TfrmSavePDFDlg::SaveSettings(platform::RegistryStore& store) const {
  app::SavePdfOptionsRecord(store, options_);
}

void TfrmSavePDFDlg::UpdateControlStates() {
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
  // PDF readers turn a typed password into Windows-1252 bytes; any other
  // character could never be typed back.
  for (const QLineEdit* edit :
       {user ? edUserPassword_ : nullptr, master ? edMasterPassword_ : nullptr})
    if (edit != nullptr && !app::PdfPasswordBytes(Utf8(edit->text())))
      return "A PDF password can only hold Western European (Windows-1252) characters. Please "
             "change the password to continue!";
  return {};
}

void TfrmSavePDFDlg::continueClicked() {
  const QString problem = inputProblem();
  if (!problem.isEmpty()) {
    platform::ShowMessageBox(Utf8(problem), "Enter Password", platform::MessageIcon::Warning);
    return;
  }
  const int size = cbxPageSize_->currentIndex();
  if (size > 0) {
    auto page = pdf::PageSizeDimensions(static_cast<pdf::TPDFPageSize>(size));
    if (cbxPageOrientation_->currentIndex() == 1) std::swap(page.width, page.height);
    const int widthMm = static_cast<int>(page.width * 25.4 / 72);
    const int heightMm = static_cast<int>(page.height * 25.4 / 72);
    if (seLeftMargin_->value() + seRightMargin_->value() >= widthMm ||
        seTopMargin_->value() + seBottomMargin_->value() >= heightMm) {
      pgcOptions_->setCurrentIndex(2);
      platform::ShowMessageBox("The margins leave no room for the picture on a " +
                                   std::to_string(widthMm) + " x " + std::to_string(heightMm) +
                                   " mm page. Please make them smaller to continue!",
                               "Page Setup", platform::MessageIcon::Warning);
      return;
    }
  }
  save();
  accept();
}

}  // namespace dialogs
