#pragma once
// What the application tells its windows when a program-wide option
// changes, and how it asks them for their selection. The remark and tooltip changes go to every
// window inside every frame; the others to each frame itself.
#include <wx/event.h>

namespace vemo {

wxDECLARE_EVENT(EVT_REMARKS_CHANGED, wxCommandEvent);
wxDECLARE_EVENT(EVT_TOOLTIPS_CHANGED, wxCommandEvent);
wxDECLARE_EVENT(EVT_ACTIVE_ONLY_CHANGED, wxCommandEvent);
wxDECLARE_EVENT(EVT_NODES_CHANGED, wxCommandEvent);
wxDECLARE_EVENT(EVT_LOW_DECK_CHANGED, wxCommandEvent);

// Asks the windows of the main frame for their selection: GetInt() is 1
// for arrivals, 0 for departures; GetClientData() is the SelectedObject a
// window with a selection fills.
wxDECLARE_EVENT(EVT_GET_SELECTED_OBJECT, wxCommandEvent);

}  // namespace vemo
