// The hand-over from the detail chart to a new inspect window.
#include <memory>

#include "app/kvmain.h"
#include "display/detail_chart.h"
#include "display/stretch_window.h"
#include "platform/errors.h"
#include "platform/seams.h"

void TfrmMain::bnInspectClick() {
  const std::optional<TInspectRequest> request = Chart1->InspectHandOver();
  if (!request) return;
  try {
    // Owned by the main window, freed by its own closing.
    auto form = std::make_unique<TfrmInspect>(this);
    form->LoadStretch(request->Name, *Recorder, Recorder->DetailChannel, true, request->TimeStart,
                      request->TimeEnd, request->VoltMin, request->VoltMax);
    form.release()->show();
  } catch (const std::exception& e) {
    Seams().Dialogs->Message(QStringLiteral("Error creating chart: ") + ErrorMessage(e));
  }
}
