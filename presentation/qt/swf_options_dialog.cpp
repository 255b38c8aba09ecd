#include "presentation/qt/swf_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace presentation {

SwfOptionsDialog::SwfOptionsDialog(SwfOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
  setWindowTitle(tr("Movie options"));
  auto* form = new QFormLayout;
  resolution_ = new QSpinBox;
  resolution_->setRange(kMinResolution, kMaxResolution);
  resolution_->setSuffix(tr(" dpi"));
  form->addRow(tr("Slide &resolution:"), resolution_);
  slideFormat_ = new QComboBox;
  slideFormat_->addItem(tr("Lossless (sharp text)"));
  slideFormat_->addItem(tr("JPEG (smaller file)"));
  form->addRow(tr("Slide &pictures:"), slideFormat_);
  quality_ = new QSpinBox;
  quality_->setRange(1, 100);
  form->addRow(tr("JPEG &quality:"), quality_);
  buttons_ = new QCheckBox(tr("Show &navigation buttons"));
  form->addRow(buttons_);

  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  // Return accepts from any field, as in every options dialog.
  box->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(this, &QDialog::accepted, this, [this] { save(); });
  connect(slideFormat_, &QComboBox::currentIndexChanged, this,
          [this](int index) { quality_->setEnabled(index == 1); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(box);
  load();
}

void SwfOptionsDialog::load() {
  resolution_->setValue(options_.resolution);
  slideFormat_->setCurrentIndex(options_.losslessSlides ? 0 : 1);
  quality_->setValue(options_.imageQuality);
  quality_->setEnabled(!options_.losslessSlides);
  buttons_->setChecked(options_.navigationButtons);
}

void SwfOptionsDialog::save() {
  options_.resolution = resolution_->value();
  options_.losslessSlides = slideFormat_->currentIndex() == 0;
  options_.imageQuality = quality_->value();
  options_.navigationButtons = buttons_->isChecked();
}

bool ShowSwfOptionsDialog(SwfOptions& options) {
  SwfOptionsDialog dialog(options);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace presentation
