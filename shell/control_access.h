// Control access: the only way the actions reach the window's controls. Every value crosses as a
// Text; the conversions to and from Qt's strings happen behind these three calls.
//
// This header names the control classes without defining them, so the actions' code compiles
// without the browser engine's headers.
#pragma once

#include "text/text.h"

namespace veltrano {

class EditBox;
class HtmlViewer;

// The box's current text as a new Text; an empty box gives the empty Text. Byte for byte the
// Text last given by SetEditText for as long as the user has not changed the box since.
Text GetEditText(const EditBox& box);

// Replaces the box's whole text by `text` (the empty Text empties it); nothing is cut, limited or
// lost. The box's text-changed signal fires afterwards when the text shown changed.
void SetEditText(EditBox& box, const Text& text);

// Makes `address` the browser's address and at once starts navigating there, without waiting for
// the page. Bytes 0x80 or above travel percent-encoded as they are; the empty address shows a
// blank page.
void SetBrowserAddress(HtmlViewer& viewer, const Text& address);

}  // namespace veltrano
