// The main window's fields and status labels, as the operations see them. The fields are
// both the display and the working state: operations read what the operator typed and write
// their progress back. Texts are code page 936.
#pragma once

#include "text/text.h"

enum class Field {
  EntryName,
  UserName,
  Password,
  ClientAddress,
  StartTime,
  TaskCode,
  Elapsed,
  DialLog,
  EndTime,
  CurrentHostBox,
  LookupResult,
  PublicIp,
  Region,
};

enum class Label { PrimaryStatusLabel, SecondaryStatusLabel };

Text GetFieldText(Field field);
void SetFieldText(Field field, const Text& text);
// Adds text at the end of the field's content, nothing in between.
void AppendFieldText(Field field, const Text& text);
void SetLabelCaption(Label label, const Text& text);
