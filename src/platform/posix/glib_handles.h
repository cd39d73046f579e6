#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

namespace calyxa {

// Owning handles of GLib's reference-counted and allocated objects.
struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFree>;

struct GStrvFree {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};
using GStrvPtr = std::unique_ptr<gchar*, GStrvFree>;

struct GErrorFree {
  void operator()(GError* error) const {
    if (error) g_error_free(error);
  }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GKeyFileUnref {
  void operator()(GKeyFile* file) const {
    if (file) g_key_file_unref(file);
  }
};
using GKeyFilePtr = std::unique_ptr<GKeyFile, GKeyFileUnref>;

// Text GLib allocated, taken over; nothing for a null pointer.
inline std::optional<std::string> takeString(gchar* text) {
  const GCharPtr owned(text);
  if (!owned) return std::nullopt;
  return std::string(owned.get());
}

}  // namespace calyxa
