#pragma once
// The system's one class: GBK text in front of the platform's regular-expression automation
// object. `create` runs a pattern over a subject and keeps every match; the other operations
// read the matches back, with match and group numbers counted from 1. A failed step answers
// empty text or 0; nothing is reported or thrown.
//
// An object belongs to the thread that made it: construction initialises the component library
// for that thread and destruction uninitialises it, so each object must be destroyed there.

#include <memory>

#include "platform/automation.h"
#include "text/types.h"

struct SubjectPositions;

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Makes a fresh engine, runs `pattern` over `subject` and keeps the matches. With
  // `quote_marker` each "#引号" in the pattern stands for a double quote. True when the pattern
  // compiled and ran, whether or not it matched.
  bool create(const Text& pattern, const Text& subject, bool case_sensitive = false,
              bool multiline = true, bool global = true, bool quote_marker = false);
  Text pattern_text();
  // The last subject with its matches replaced; $1 to $99, $&, $`, $' and $$ stand for parts of
  // the match.
  Text replace(const Text& replacement);
  int match_count();
  // With `position`, also the 0-based byte offset of the match in the GBK subject; -2 when it
  // cannot be found there.
  Text match_text(int match_number, int* position = nullptr);
  // With `position`, also the 0-based byte offset of the first occurrence of the group's text at
  // or after the start of its match in the GBK subject; -2 when there is none.
  Text submatch_text(int match_number, int submatch_number, int* position = nullptr);
  // The number of groups of the first match; 0 without a match.
  int submatch_count();

 private:
  ObjectRef engine;
  ObjectRef match_list;
  // The subject's UTF-16 units, with its terminating zero unit, as a byte array.
  Variant stored_subject;
  // The GBK form of the subject and where each match's first unit lies in it, made when a
  // position is first asked for.
  std::unique_ptr<SubjectPositions> subject_positions;

  ObjectRef match_item(int match_number);
  int position_in_subject(const Text& text, const ObjectRef& match);
};
