#pragma once
// 人気度: what other players buy, read from what the draws paid.
//
// Each tier's prizes come from a pool that is a fixed share of the sales and
// is shared by the tier's winners, so a draw whose numbers many players
// bought pays each of them less.  The sales cancel out (the pool and the
// number of winners both follow them): the log of a tier's prize per line
// follows how popular the drawn numbers are.  The score of a draw is
//
//   one effect per drawn number
//   + one effect per distance between two drawn numbers (players spread their numbers)
//   + an effect per drawn number that the draw before had
//   + an effect of the drawn numbers' appearances in the last 50 draws,
//
// fitted by ridge regression on the log of the 4等 prize (tens of thousands
// of winners a draw: the sharpest reading).  Every tier is that one score
// scaled, log yen = level + scale x score (the 2等 with the bonus number's own
// term, since its winners hold the bonus), with level and scale fitted by
// least squares on the tier's own prizes: the 1等, with a few dozen winners a
// draw, is too noisy to fit sixty effects of its own.
//
// The quality is the share of the variance of each tier's log prize
// explained on blocks of consecutive draws by a model fitted on the other
// blocks: no draw is judged by a model that saw it.
#include <array>
#include <optional>
#include <vector>

#include "analyses/popularity/ridge.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

namespace km {

// The window's name and caption.
inline constexpr const char* kPopularityWindow = "人気度";

// Fewer draws with prizes than this, and nothing is estimated.
inline constexpr int kMinPopularityDraws = 100;
// A number's recent appearances are counted over the last 50 draws (about a year).
inline constexpr int kRecentDraws = 50;
// The quality is judged on this many blocks of consecutive draws.
inline constexpr int kQualityBlocks = 10;
// The ridge penalty of the number and distance effects (chosen by block
// cross-validation on draws 14-1000 of the shipped history).
inline constexpr double kPopularityRidge = 10;
// A tier's level and scale need this many draws where somebody won it.
inline constexpr int kMinTierDraws = 30;

// The columns of a draw's features.
inline constexpr int kLevelCol = 0;           // the constant
inline constexpr int kFirstNumberCol = 1;     // 1..31: number i drawn
inline constexpr int kFirstDistanceCol = 32;  // 32..61: two drawn numbers 1..30 apart
inline constexpr int kPreviousCol = 62;       // drawn numbers the draw before had
inline constexpr int kRecentCol = 63;         // the drawn numbers' recent appearances
inline constexpr int kFeatureCount = 64;
inline constexpr int kDistances = kMaxNumber - 1;  // 30

// What a player could see before a draw: the draw before it, and how often
// each number came as a main number in the last 50 draws.
struct DrawSetting {
  std::array<bool, kMaxNumber + 1> previous{};
  std::array<int, kMaxNumber + 1> recentCount{};
  // recentCount less the even share (5/31 of the draws counted)
  std::array<double, kMaxNumber + 1> recent{};
};

// The settings of the history's complete draws, in order, and that of the
// draw to come (the last).  Incomplete draws are skipped.
std::vector<DrawSetting> drawSettings(const History& history);

// The features of the main numbers drawn in `setting`; of a bonus number,
// its own effect and its previous and recent terms.
SparseRow drawFeatures(const TicketNumbers& numbers, const DrawSetting& setting);
SparseRow bonusFeatures(int bonus, const DrawSetting& setting);

// One draw the model learns from: its features and the log of each tier's
// prize (none where nobody won the tier).
struct PrizeSample {
  int draw = 0;
  SparseRow x;
  SparseRow bonus;
  std::array<std::optional<double>, kPrizeTiers> logYen{};
};
std::vector<PrizeSample> prizeSamples(const History& history);

// How a tier's log prize follows the score.
struct TierFit {
  bool known = false;
  int draws = 0;
  double level = 0, scale = 1, bonusScale = 0;
  double scaleVariance = 0;
  double smear = 1;  // the mean of exp(residual): from the log to the mean yen
};

// The score fit and the tiers' fits, from samples.
struct TierModel {
  bool ok = false;
  RidgeFit score;  // on the 4等
  std::array<TierFit, kPrizeTiers> tiers{};
  // log yen of tier t for a draw of features x and bonus features b
  std::optional<double> logYen(int tier, const SparseRow& x, const SparseRow& b) const;
};
// Without `withCovariance` (a fit only to predict with) the scales' variances are not worked out.
TierModel fitTiers(const std::vector<PrizeSample>& samples, const std::vector<int>& use, bool withCovariance = true);

// The folds of the quality check: each block of consecutive samples is
// judged by a fit on all the others.
struct Fold {
  std::vector<int> fitted, judged;
};
std::vector<Fold> blockFolds(int samples, int blocks);

// The share of the variance of each tier's log prize explained on judged
// draws (none where too few were judged); it is below 0 when the model does
// worse than the judged draws' mean.
struct HeldOut {
  int draws = 0;
  std::optional<double> explained;
};
std::array<HeldOut, kPrizeTiers> heldOutQuality(const std::vector<PrizeSample>& samples,
                                                const std::vector<Fold>& folds);

// A number's popularity: how much more (or, below 0, less) a line holding
// it pays if it wins the 1等 next, against the average line, with the 95%
// interval; 1 the most bought.
struct NumberPopularity {
  int number = 0;
  double effect = 0, low = 0, high = 0;  // fractions: -0.12 is 12% less
  int rank = 0;
  int recentCount = 0;    // appearances in the last 50 draws
  bool previous = false;  // in the last draw
};

// What a line would pay if it won the next draw: the mean prize of each
// tier over the draws in which it wins that tier, against the average line
// (every possible draw), and its expected prize against the average line's
// (the tiers weighted by their chance).
struct LineEstimate {
  std::array<double, kPrizeTiers> yen{};
  std::array<double, kPrizeTiers> ratio{};
  double factor = 1;
};

struct PopularityModel {
  enum Status { Fitted, TooFewDraws, NoFirstPrizes, NotSolved } status = TooFewDraws;
  int drawsWithPrizes = 0;  // complete draws with a stored prize where somebody won the 4等
  int firstDraw = 0, lastDraw = 0;
  int nextDraw = 0;
  TierModel fit;
  std::array<HeldOut, kPrizeTiers> quality{};
  // the score's parts in the next draw's setting: per number, per distance
  std::array<double, kMaxNumber + 1> numberTerm{};
  std::array<double, kDistances + 1> distanceTerm{};
  std::array<double, kPrizeTiers> averageYen{};
  std::array<NumberPopularity, kMaxNumber> numbers{};  // by number
  bool fitted() const { return status == Fitted; }
};

PopularityModel fitPopularity(const History& history);

// The estimate for five different numbers 1..31 (a fitted model).
LineEstimate estimateLine(const PopularityModel& model, const TicketNumbers& line);

// The mean yen a line of tier 1..4 (index 0..3) would be paid if `drawn`
// were the next draw's main numbers and `bonus` its bonus number (read by
// the 2等 alone); none for a tier the model does not know.
std::optional<double> drawYen(const PopularityModel& model, int tier, const TicketNumbers& drawn, int bonus);

}  // namespace km
