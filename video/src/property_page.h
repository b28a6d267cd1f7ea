// The filters of a built graph as the host sees them (Orvana_EnumFilter) and their
// property pages: a dialog listing an element's writable properties, editable.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <functional>
#include <string>

namespace orvana {

// An element's name for the host: a file source is named after its file (the part after
// the last "/" or "\"), any other element by its own name.
std::string FilterName(GstElement* element);
// Every element of the graph at every level, by name; false when there was none.
bool EnumFilters(GstElement* graph, const std::function<void(const std::string&)>& name);
// The element the host names (its own name or its host name); null when none. The caller
// owns the reference.
GstElement* FindFilter(GstElement* graph, const std::string& name);
// Whether the element has properties a page can change (its name aside).
bool HasPropertyPage(GstElement* element);
// The modal page on the owner window, titled with the filter's name: each writable
// property with its value; OK sets the values that were changed.
void ShowPropertyPage(GstElement* element, uintptr_t owner);

}  // namespace orvana
