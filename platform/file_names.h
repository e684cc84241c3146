// The library's fixed folder and file-name texts are written with the
// backslash separator ("SYDNEY\NEWCASTLE", "\key."). The texts keep that
// form everywhere inside the library; this turns one into this platform's
// separator at the moment it becomes part of a path that is opened.
#ifndef OSTRIM_FILE_NAMES_H
#define OSTRIM_FILE_NAMES_H

#include <wx/string.h>

namespace platform {

inline wxString nativeFileText(const wxString& fixedText) {
    wxString native(fixedText);
    native.Replace(wxS("\\"), wxS("/"));
    return native;
}

// Caller-supplied strings arrive as NUL-terminated UTF-8; a null pointer
// reads as an empty text.
inline wxString fromUtf8(const char* text) {
    if (text == nullptr) return wxString();
    return wxString::FromUTF8(text);
}

}  // namespace platform

#endif
