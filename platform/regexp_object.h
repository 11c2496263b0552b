#pragma once
// The automation object registered as "VBScript.RegExp", over the engine of regexp_engine.h.
//
// Properties "IgnoreCase", "Multiline", "Global" (truth values, false at first) and "Pattern"
// (a string, empty at first); methods "Execute" (subject in, match collection out) and "Replace"
// (subject and replacement in, string out). A match collection has "Count" and "Item" (by
// 0-based index); a match has "Value", "FirstIndex", "Length" and "SubMatches", a collection of
// the groups' strings with "Count" and "Item", where a group that took no part is empty. A
// collection and its matches share the subject and stay readable while any of them is held,
// whatever becomes of the engine object.

#include "platform/automation.h"

ObjectRef create_regexp_object();
