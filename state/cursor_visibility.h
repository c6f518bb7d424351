#pragma once

// The cursor is hidden while play runs and shown while it is stopped. The
// platform counts show and hide requests, so one is issued only when the
// state changes; every stop and start of play goes through here.
void SetCursorVisible(bool visible);
