// The two common handlers every skinned control, form and wrapper calls from its window
// procedure with its link: HandleSkinCommand answers the skin commands that concern the link
// itself; HandleCommonMessage reacts to the standard window and control messages (creation,
// move, size, focus, hover, visibility, PPI, printing) on the link's behalf.
//
// Calling contract: for 0xA100 the receiver first handles the codes it knows itself and returns
// at once when HandleSkinCommand answers true for the others; for every other message it calls
// HandleCommonMessage before its inherited handling and stops when that answers true.
#pragma once

#include "skin/engine/common_data.h"

// Handled; answers go to message.Result. False for a nil link, another message, a code it does
// not know, a pointer code that did not come from our own code, and for scmRemoveSkin (after it
// reset a skinned link) and scmPPIChanged, which the caller goes on handling.
bool HandleSkinCommand(TMessage& message, TsCommonData* link);
// Handled (the caller skips its inherited handling); for 0xA100 the answer of HandleSkinCommand.
bool HandleCommonMessage(TMessage& message, TsCommonData* link);
