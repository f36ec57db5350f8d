// frame/: the window's logic without a window, shared by every front end and the tests.
// The keys of the tank, each with what it does: the window makes its key actions from this
// table and the page its key handler, so both take the same keys for the same commands.
#pragma once

namespace plashbox {

enum class TKeyCommand {
  Pause,
  Step,
  Slower,
  Faster,
  Clear,
  Drip,
  Open,
  Save,
  SaveAs,
  SavePicture,
  Help,
  FillScreen,
  LeaveFillScreen,
  Wall,
  Intensity,
  Probe,
  Screen,
  PreviousSlide,
  NextSlide,
  Undo,
  Redo,
  Delete,
};

struct TKeyBinding {
  TKeyCommand Command;
  // The window's action for it (its object name); the page calls the command by this name.
  const char* Name;
  // In Qt's portable key text ("Ctrl+Shift+Z", "PgUp"); alternatives separated by "; ".
  const char* Keys;
  const char* Description;
};

// One binding a line: the help's keys table is made of them (docs/help/HelpPages.cmake).
inline constexpr TKeyBinding KeyBindings[] = {
    {TKeyCommand::Pause, "PauseKey", "Space", "Pause and resume"},
    {TKeyCommand::Step, "StepKey", ".", "One step while paused"},
    {TKeyCommand::Slower, "SlowerKey", "[", "Slower"},
    {TKeyCommand::Faster, "FasterKey", "]", "Faster"},
    {TKeyCommand::Clear, "ClearKey", "C", "Clear the waves"},
    {TKeyCommand::Drip, "DripKey", "D", "Drip button down and up"},
    {TKeyCommand::Open, "OpenKey", "Ctrl+O", "Open a scene"},
    {TKeyCommand::Save, "SaveKey", "Ctrl+S", "Save the scene again"},
    {TKeyCommand::SaveAs, "SaveAsKey", "Ctrl+Shift+S", "Save the scene under a new name"},
    {TKeyCommand::SavePicture, "SavePictureKey", "Ctrl+P", "Save the frame shown as a PNG picture"},
    {TKeyCommand::Help, "HelpKey", "F1", "The help, at the selected panel's page"},
    {TKeyCommand::FillScreen, "FullScreenKey", "F11", "Fill the screen with the tank, and back"},
    {TKeyCommand::LeaveFillScreen, "LeaveFullScreenKey", "Esc", "Leave full screen, or close the About window"},
    {TKeyCommand::Wall, "WallKey", "W", "Add a wall with two slits"},
    {TKeyCommand::Intensity, "IntensityKey", "I", "Switch between the waves and their time-averaged intensity"},
    {TKeyCommand::Probe, "ProbeKey", "P", "Add a probe (up to four)"},
    {TKeyCommand::Screen, "ScreenKey", "S", "Add a screen"},
    {TKeyCommand::PreviousSlide, "PreviousSlideKey", "PgUp", "The previous experiment of a scene with several"},
    {TKeyCommand::NextSlide, "NextSlideKey", "PgDown", "The next experiment of a scene with several"},
    {TKeyCommand::Undo, "UndoKey", "Ctrl+Z", "Undo the last edit"},
    {TKeyCommand::Redo, "RedoKey", "Ctrl+Shift+Z; Ctrl+Y", "Redo what was undone"},
    {TKeyCommand::Delete, "DeleteKey", "Del", "Remove the selected object (never the last source nor the block)"},
};

}  // namespace plashbox
