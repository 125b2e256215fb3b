#include "window_fake.h"

#include <map>

namespace {
std::map<Field, Text> fields;
std::map<Label, Text> labels;
}  // namespace

void ResetFakeWindow() {
  fields.clear();
  labels = {{Label::PrimaryStatusLabel, "\xB1\xEA\xC7\xA9"}, {Label::SecondaryStatusLabel, "\xB1\xEA\xC7\xA9"}};
}

Text FakeLabelCaption(Label label) { return labels[label]; }

Text GetFieldText(Field field) { return fields[field]; }

void SetFieldText(Field field, const Text& text) { fields[field] = text; }

void AppendFieldText(Field field, const Text& text) {
  fields[field] = ConcatText({fields[field], text});
}

void SetLabelCaption(Label label, const Text& text) { labels[label] = text; }
