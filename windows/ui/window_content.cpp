#include "windows/ui/window_content.h"

#include <QLabel>
#include <QMdiArea>
#include <filesystem>
#include <memory>
#include <utility>

#include "entry/data_entry_window.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/extras.h"
#include "help/about_dialog.h"
#include "prediction/core/backtest.h"
#include "prediction/ui/prediction_window.h"
#include "tickets/combos_window.h"
#include "tickets/tickets_window.h"
#include "windows/ui/popularity_window.h"

namespace km {

namespace {

// A fill for the thread pool: it owns copies of what it reads, since the
// program's history and settings may change or go before the fill ends.
AnalysisWindow::BackgroundFill backgroundFill(const WindowRow& row, const WindowContext& ctx) {
  auto history = std::make_shared<const History>(ctx.history);
  auto settings = std::make_shared<PredictionState>();
  settings->reflect = ctx.prediction.reflect;
  return [fill = row.fill, history, settings](FillProgress& progress) {
    std::vector<Grid> grids = fill({*history, *settings, &progress});
    return grids.empty() ? Grid() : std::move(grids.front());
  };
}

// 当選確認's tickets.csv, beside the database.
std::string ticketsPath(const WindowContext& ctx) {
  return (std::filesystem::path(ctx.database.path).parent_path() / kTicketsFileName).string();
}

QWidget* makeContent(const WindowRow& row, WindowContext& ctx, QWidget* parent, std::vector<const Grid*>& grids) {
  switch (row.kind) {
    case WindowKind::Analysis: {
      if (row.background) {
        auto* w = new AnalysisWindow(row.def, backgroundFill(row, ctx), parent);
        grids.push_back(&w->grid());
        return w;
      }
      std::vector<Grid> filled = row.fill({ctx.history, ctx.prediction});
      auto* w = new AnalysisWindow(row.def, filled.empty() ? Grid() : std::move(filled.front()), parent);
      grids.push_back(&w->grid());
      return w;
    }
    case WindowKind::Prediction: {
      auto* w = new PredictionWindow(ctx.prediction, ctx.history, parent, ctx.keepPrediction);
      for (int i = 0; i < kPredictionGridCount; ++i) grids.push_back(&w->grid(i));
      return w;
    }
    case WindowKind::DataEntry:
      return new DataEntryWindow(row.def, ctx.database, parent);
    case WindowKind::Tickets: {
      const std::string path = ticketsPath(ctx);
      // the prediction's lines with the settings the prediction window has at the click
      auto* w = new TicketsWindow(row.def, ctx.history, path, parent, ctx.database,
                                  [&history = ctx.history, &settings = ctx.prediction](std::vector<std::string>* left) {
                                    return predictionTickets(history, settings, left);
                                  });
      grids.push_back(&w->grid());
      return w;
    }
    case WindowKind::Combos: {
      auto* w = new CombosWindow(row.def, ctx.history, ticketsPath(ctx), parent);
      grids.push_back(&w->figuresGrid());
      grids.push_back(&w->linesGrid());
      return w;
    }
    case WindowKind::Popularity: {
      auto* w = new PopularityWindow(row.def, ctx.history, parent);
      grids.push_back(&w->grid());
      return w;
    }
    case WindowKind::About:
      return new AboutDialog(parent);
    case WindowKind::Chart: {
      QString error;
      if (const Extras* x = extras(error)) return x->makeChartWindow(row.def, ctx.history, parent);
      auto* why = new QLabel(error, parent);  // the main window has said why already
      why->setTextFormat(Qt::PlainText);
      return why;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<const Grid*> buildWindow(QMdiArea& area, ChildFrame& frame, const WindowRow& row, WindowContext& ctx) {
  std::vector<const Grid*> grids;
  frame.load([&](QWidget* parent) { return makeContent(row, ctx, parent, grids); });
  // The About box keeps its size: no maximise button, and neither a double
  // click on its title nor a maximised window beside it makes it fill the area.
  if (row.kind == WindowKind::About) frame.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  area.addSubWindow(&frame);
  frame.move(0, 0);
  frame.resize(frame.sizeHint());
  // Never larger than the area it opens in: its grid scrolls instead, and
  // the legend and 閉じる stay in view.
  if (area.isVisible()) frame.resize(frame.sizeHint().boundedTo(area.viewport()->size()));
  frame.show();
  return grids;
}

}  // namespace km
