#pragma once
// How long the frame's waits may run, counted in passes of 10 ms: one round
// of pending events, then a wait for more that ends early when they come.
namespace morvane::wait_limits {

inline constexpr int kPassMilliseconds = 10;
// A navigation the caller waits for.
inline constexpr int kNavigatePasses = 60000;
// Until the control has a document at all.
inline constexpr int kDocumentMilliseconds = 60000;
// A page script that has not answered by then is given up.
inline constexpr int kScriptPasses = 1000;
// The hidden browser is given this long to settle on a new window.
inline constexpr int kNewWindowPasses = 101;
// A second navigation waits this long at most for the first to let go.
inline constexpr int kSettlePasses = 500;
// ShowHTML gives the control this long to settle before it feeds the page.
inline constexpr int kShowPasses = 6000;
// A click on a busy control is preceded by this pause.
inline constexpr int kBusyClickPauseMilliseconds = 1000;

}  // namespace morvane::wait_limits
