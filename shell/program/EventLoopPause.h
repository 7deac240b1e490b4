#pragma once
// A wait on the UI thread that keeps the event loop running. The device link's settle time at
// start is spent here, so the tray icon gets embedded and the program keeps answering the window
// system meanwhile. Whatever the loop delivers runs inside the wait: handlers that could start or
// stop the program again must defer that work (the main page does so while it starts up).

// Waits at least `ms` milliseconds, delivering events. Off the UI thread, without an
// application, or called again from an event the pause itself delivered, it only sleeps.
void EventLoopPause(int ms);
