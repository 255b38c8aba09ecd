#include "dialogs/save_swf_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QListView>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace dialogs {

namespace {

const QStringList kFileTypes = {
    "Flash animations files (*.swf)",
    "PDF documents (*.pdf)",
    "Both SWF and PDF documents (*.swf;*.pdf)",
    "JPEG Image File (*.jpg)",
    "PNG images (*.png)",
    "TIFF document (*.tif)",
};

QCheckBox* Box(const char* name, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TSaveSWFDialog::TSaveSWFDialog() {
  setOption(QFileDialog::DontUseNativeDialog);
  // Replacing files is asked about by the run, file type by file type.
  setOption(QFileDialog::DontConfirmOverwrite);
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setWindowTitle("Save As");
  setNameFilters(kFileTypes);
  addBottomPanel();
}

void TSaveSWFDialog::addBottomPanel() {
  BottomPanel = new QWidget(this);
  BottomPanel->setObjectName("BottomPanel");
  cbHtml = Box("cbHtml", "Generate HTML page with movie", BottomPanel);
  cbFileOpen = Box("cbFileOpen", "Open generated file", BottomPanel);
  cbFileExplore = Box("cbFileExplore", "Explore folder with generated movie", BottomPanel);
  auto* column = new QVBoxLayout(BottomPanel);
  column->setContentsMargins(0, 2, 0, 2);
  for (QCheckBox* box : {cbHtml, cbFileOpen, cbFileExplore}) column->addWidget(box);

  // Under the file-type list, from its left edge to its right edge.
  auto* grid = qobject_cast<QGridLayout*>(layout());
  auto* types = findChild<QComboBox*>("fileTypeCombo");
  if (grid != nullptr && types != nullptr) {
    int row = 0, column0 = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(types), &row, &column0, &rowSpan, &columnSpan);
    grid->addWidget(BottomPanel, grid->rowCount(), column0, 1, columnSpan);
    setTabOrder(types, cbHtml);
  } else {
    layout()->addWidget(BottomPanel);
  }
  setTabOrder(cbHtml, cbFileOpen);
  setTabOrder(cbFileOpen, cbFileExplore);
}

bool TSaveSWFDialog::GenerateHTML() const { return cbHtml->isChecked(); }
void TSaveSWFDialog::SetGenerateHTML(bool on) { cbHtml->setChecked(on); }
bool TSaveSWFDialog::OpenGeneratedFile() const { return cbFileOpen->isChecked(); }
void TSaveSWFDialog::SetOpenGeneratedFile(bool on) { cbFileOpen->setChecked(on); }
bool TSaveSWFDialog::FileExplore() const { return cbFileExplore->isChecked(); }
void TSaveSWFDialog::SetFileExplore(bool on) { cbFileExplore->setChecked(on); }

int TSaveSWFDialog::FilterIndex() const {
  return static_cast<int>(kFileTypes.indexOf(selectedNameFilter())) + 1;
}

void TSaveSWFDialog::SetFilterIndex(int index) {
  selectNameFilter(kFileTypes.value(index >= 1 && index <= kFileTypes.size() ? index - 1 : 0));
}

void TSaveSWFDialog::SetInitialDir(const std::string& folder) {
  setDirectory(QString::fromStdString(folder));
}

std::string TSaveSWFDialog::FileName() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? std::string() : files.first().toStdString();
}

void TSaveSWFDialog::SetFileName(const std::string& name) {
  selectFile(QString::fromStdString(name));
}

bool TSaveSWFDialog::Execute() { return exec() == QDialog::Accepted; }

void TSaveSWFDialog::showEvent(QShowEvent* event) {
  // The places list is as wide as its longest entry, at any scaling.
  if (auto* places = findChild<QListView*>("sidebar"))
    places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                            places->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  QFileDialog::showEvent(event);
  // Typing goes to the file name at once, as in every save dialog, also
  // where no window manager hands out the focus.
  if (auto* name = findChild<QLineEdit*>("fileNameEdit")) {
    name->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, [this] { activateWindow(); });
  }
}

}  // namespace dialogs
