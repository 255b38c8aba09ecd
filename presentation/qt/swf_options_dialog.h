#pragma once

#include <QDialog>

#include "presentation/swf_options.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace presentation {

// The component's options dialog: a thin view over the settings passed in,
// which it changes only when accepted (OK or Return).
class SwfOptionsDialog : public QDialog {
 public:
  explicit SwfOptionsDialog(SwfOptions& options, QWidget* parent = nullptr);

 private:
  void load();
  void save();

  SwfOptions& options_;
  QSpinBox* resolution_ = nullptr;
  QComboBox* slideFormat_ = nullptr;
  QSpinBox* quality_ = nullptr;
  QCheckBox* buttons_ = nullptr;
};

// The dialog as TPresentation::SetOptionsDialog takes it.
bool ShowSwfOptionsDialog(SwfOptions& options);

}  // namespace presentation
