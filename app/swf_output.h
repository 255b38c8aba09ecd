#pragma once

#include <memory>
#include <string>
#include <vector>

#include "emf2pdf/page_source.h"
#include "presentation/presentation.h"

namespace app {

// The folder of navigation button pictures beside the program.
std::string NavigationTemplatesFolder();

// The silent sequence: the component keeps its settings in the
// SWFFormatOptions key, takes every page as a slide and saves the movie under
// `outputName` unchanged. The movie replaces an existing file only once it is
// complete, so a failure keeps the old one. Errors propagate.
void RunSilentSwf(presentation::TPresentation& component,
                  const std::vector<emf2pdf::PageSource>& pages, const std::string& outputName);

// The silent sequence with a component of its own for `store`, returned for
// the caller to keep until the process ends (and before the store ends).
std::shared_ptr<presentation::TPresentation> SaveSilentMovie(
    platform::RegistryStore& store, const std::vector<emf2pdf::PageSource>& pages,
    const std::string& outputName);

// The dialog sequence up to the component's options dialog (the caller
// installs it: component.SetOptionsDialog(presentation::ShowSwfOptionsDialog)
// from presentation/qt): slides, settings, dialog. False when the dialog is
// not confirmed. The caller then writes the movie with component.WriteMovie,
// so that it can hold the movie back until its other outputs are made too.
bool PrepareDialogSwf(presentation::TPresentation& component,
                      const std::vector<emf2pdf::PageSource>& pages);

}  // namespace app
