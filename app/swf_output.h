#pragma once

#include <string>
#include <vector>

#include "presentation/presentation.h"

namespace app {

// The folder of navigation button pictures beside the program.
std::string NavigationTemplatesFolder();

// The silent sequence: the component keeps its settings in the
// SWFFormatOptions key, takes every page as a slide and saves the movie under
// `outputName` unchanged. The movie replaces an existing file only once it is
// complete, so a failure keeps the old one. Errors propagate.
void RunSilentSwf(presentation::TPresentation& component, const std::vector<std::string>& pageFiles,
                  const std::string& outputName);

// The silent sequence with a component of its own, kept to the end of the
// process.
void SaveSilentMovie(platform::RegistryStore& store, const std::vector<std::string>& pageFiles,
                     const std::string& outputName);

// The dialog sequence: slides, settings, then the component's options dialog
// (the caller installs it: component.SetOptionsDialog(presentation::ShowSwfOptionsDialog)
// from presentation/qt). Returns false, making nothing,
// when the dialog is not confirmed; otherwise saves the movie under
// `outputName` unchanged and returns true. Errors propagate.
bool RunDialogSwf(presentation::TPresentation& component, const std::vector<std::string>& pageFiles,
                  const std::string& outputName);

}  // namespace app
