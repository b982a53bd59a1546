#pragma once
// The program's commands by their own numbers, and the one table that maps
// them to window ids. The numbers are above what wx accepts as an id
// (< 0x7FFF), so each command, and each per-timetable range as a whole, gets
// a contiguous block of wx ids above wx's reserved ones: a range stays a
// range (wx id of base + i is the base's wx id + i).
namespace vemo::cmd {

inline constexpr int kNewConnWindow = 32814;
inline constexpr int kArrDepWindow = 32801, kArrDepWindowAir = 32928;
inline constexpr int kTrainsWindow = 32813, kTrainsWindowAir = 32929;
inline constexpr int kZjrWindow = 32861;
inline constexpr int kMapWindow = 32849;
inline constexpr int kShownTimetable = 32818;
inline constexpr int kOptions = 32807, kOptionsChanged = 32825;
inline constexpr int kToggleTooltips = 32816, kActiveOnly = 32819, kLowDeck = 32962,
                     kHideNodes = 32848;
inline constexpr int kToolbar = 59392, kToolbarTexts = 32844;
inline constexpr int kInformation = 32974, kUpdateOffer = 32925, kAutoUpdate = 32975;
inline constexpr int kAbout = 57664, kExit = 57665, kHelp = 57670, kContextHelp = 57669;
inline constexpr int kArrivalsList = 32832, kDeparturesList = 32833, kZjrForSelection = 32859;
// The pages about the information target (a train, a station, a town).
inline constexpr int kTrainFormation = 32918, kStationPage = 32919, kTownPage = 32920;
// The connection window's options and its pages, reached from the panes.
inline constexpr int kDirectOnly = 32785, kParameters = 32850, kMoreParameters = 32851,
                     kMeans = 32852;

// Per-timetable ranges: base + timetable index (at most 99).
inline constexpr int kTimetableInfoBase = 40000;
inline constexpr int kSettingsTimetableBase = 40100;
inline constexpr int kArrDepForTimetableBase = 40200;
inline constexpr int kTrainsForTimetableBase = 40300;
inline constexpr int kRangeBase40400 = 40400;
inline constexpr int kConnTimetableBase = 40500;
inline constexpr int kZjrForTimetableBase = 40600;
inline constexpr int kInfoPageBase = 40700;
inline constexpr int kRangeSize = 100;

// The first wx id the table hands out: above wxID_HIGHEST (5999).
inline constexpr int kFirstWxId = 6000;

// 0 for a command the table does not know.
int ToWxId(int command);
int FromWxId(int wx_id);
// One past the last wx id handed out.
int WxIdEnd();

}  // namespace vemo::cmd
