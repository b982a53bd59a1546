#pragma once
// The start-up splash: the product title, a status line and, while a
// timetable loads, a progress bar in the last 200 pixels of that line.
#include <wx/frame.h>

#include <string>

class wxGauge;
class wxStaticText;

namespace vemo {

class SplashWindow : public wxFrame {
 public:
  SplashWindow();
  void SetStatus(std::string const& text);
  void ShowBar(bool shown);
  void SetBarPosition(int per_mille);

 private:
  void Repaint();

  wxStaticText* status_ = nullptr;
  wxGauge* bar_ = nullptr;
};

}  // namespace vemo
