#pragma once

#include <windows.h>

namespace corvath {

// A frame: a panel holding controls, drawn with an etched border as the frames
// of the wizard's design are. Its children's notifications (commands, list
// notices, colours, owner drawing) go on to the window given at creation.
// Created with createFrame; the window class is registered on first use.
HWND createFrame(HWND parent, HWND notified, COLORREF background, int id);

// The frame's caption, drawn into its top border; empty draws none.
void setFrameCaption(HWND frame, const char* caption);

}  // namespace corvath
