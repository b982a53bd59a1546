#include "shell/command_ids.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace vemo::cmd {
namespace {

struct Block {
  int command;
  int count;
};

// Every command the windows route; ranges as one block each.
constexpr Block kBlocks[] = {
    {kNewConnWindow, 1},
    {kArrDepWindow, 1},
    {kArrDepWindowAir, 1},
    {kTrainsWindow, 1},
    {kTrainsWindowAir, 1},
    {kZjrWindow, 1},
    {kMapWindow, 1},
    {kShownTimetable, 1},
    {kOptions, 1},
    {kOptionsChanged, 1},
    {kToggleTooltips, 1},
    {kActiveOnly, 1},
    {kLowDeck, 1},
    {kHideNodes, 1},
    {kToolbar, 1},
    {kToolbarTexts, 1},
    {kInformation, 1},
    {kUpdateOffer, 1},
    {kAutoUpdate, 1},
    {kAbout, 1},
    {kExit, 1},
    {kHelp, 1},
    {kContextHelp, 1},
    {kArrivalsList, 1},
    {kDeparturesList, 1},
    {kZjrForSelection, 1},
    {kTrainFormation, 1},
    {kStationPage, 1},
    {kTownPage, 1},
    {kDirectOnly, 1},
    {kParameters, 1},
    {kMoreParameters, 1},
    {kMeans, 1},
    {kTimetableInfoBase, kRangeSize},
    {kSettingsTimetableBase, kRangeSize},
    {kArrDepForTimetableBase, kRangeSize},
    {kTrainsForTimetableBase, kRangeSize},
    {kRangeBase40400, kRangeSize},
    {kConnTimetableBase, kRangeSize},
    {kZjrForTimetableBase, kRangeSize},
    {kInfoPageBase, kRangeSize},
};

constexpr std::array<int, std::size(kBlocks) + 1> MakeStarts() {
  std::array<int, std::size(kBlocks) + 1> starts{};
  starts[0] = kFirstWxId;
  for (std::size_t i = 0; i < std::size(kBlocks); ++i) starts[i + 1] = starts[i] + kBlocks[i].count;
  return starts;
}

constexpr auto kStarts = MakeStarts();
static_assert(kStarts.back() < 0x7FFF, "wx ids must stay below 0x7FFF");

}  // namespace

int ToWxId(int command) {
  for (std::size_t i = 0; i < std::size(kBlocks); ++i)
    if (command >= kBlocks[i].command && command < kBlocks[i].command + kBlocks[i].count)
      return kStarts[i] + (command - kBlocks[i].command);
  return 0;
}

int FromWxId(int wx_id) {
  for (std::size_t i = 0; i < std::size(kBlocks); ++i)
    if (wx_id >= kStarts[i] && wx_id < kStarts[i + 1])
      return kBlocks[i].command + (wx_id - kStarts[i]);
  return 0;
}

int WxIdEnd() { return kStarts.back(); }

}  // namespace vemo::cmd
