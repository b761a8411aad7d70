#include "windows/ui/window_content.h"

#include <QMdiArea>
#include <utility>

#include "entry/data_entry_window.h"
#include "frame/ui/analysis_window.h"
#include "help/about_dialog.h"
#include "prediction/ui/prediction_window.h"

namespace km {

namespace {

QWidget* makeContent(const WindowRow& row, WindowContext& ctx, QWidget* parent, std::vector<const Grid*>& grids) {
  switch (row.kind) {
    case WindowKind::Analysis: {
      std::vector<Grid> filled = row.fill({ctx.history, ctx.prediction});
      auto* w = new AnalysisWindow(row.def, filled.empty() ? Grid() : std::move(filled.front()), parent);
      grids.push_back(&w->grid());
      return w;
    }
    case WindowKind::Prediction: {
      auto* w = new PredictionWindow(ctx.prediction, ctx.history, parent);
      for (int i = 0; i < kPredictionGridCount; ++i) grids.push_back(&w->grid(i));
      return w;
    }
    case WindowKind::DataEntry:
      return new DataEntryWindow(row.def, ctx.database, parent);
    case WindowKind::About:
      return new AboutDialog(parent);
  }
  return nullptr;
}

}  // namespace

std::vector<const Grid*> buildWindow(QMdiArea& area, ChildFrame& frame, const WindowRow& row, WindowContext& ctx) {
  std::vector<const Grid*> grids;
  frame.load([&](QWidget* parent) { return makeContent(row, ctx, parent, grids); });
  area.addSubWindow(&frame);
  frame.move(0, 0);
  frame.resize(frame.sizeHint());
  frame.show();
  return grids;
}

}  // namespace km
