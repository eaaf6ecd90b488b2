// The small grammars of the Cache-Control, Refresh, Robots and Expires tag
// values, as pure functions behind their editor dialogs: reading a tag's text
// into the dialog's choices, which controls are enabled, and the text written
// back on OK. The dialogs own no logic beyond calling these.
#pragma once

#include "editors/http_date.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orlen {

// Shown when a seconds field does not hold an acceptable integer; the dialog
// then stays open.
inline constexpr std::string_view kEnterIntegerMessage = "Please enter an integer.";

// The largest number a seconds field accepts (the largest signed 32-bit int).
inline constexpr int kMaxFieldInteger = 2147483647;

// Decimal scan: skips leading white space, accepts an optional "+" or "-",
// then one or more decimal digits, and stops at the first non-digit (the
// rest is ignored). Returns 1 and the number, or 0 when no digit follows.
// Numbers beyond 64 bits saturate to the largest or smallest value. When
// end is given it receives the position just after the last digit.
int ScanDecimal(std::string_view text, std::int64_t& value, std::size_t* end = nullptr);

// Validates the text of a seconds field when a dialog's OK is pressed:
// optional white space around an optional sign and decimal digits, nothing
// else, and a value from 0 to kMaxFieldInteger. Seconds are written back as
// unsigned numbers, so negative and larger values are refused like text that
// is no integer. Returns 1 and the value, or 0 (show kEnterIntegerMessage).
int ReadIntegerField(std::string_view text, int& value);

// What pressing OK in a value editor gives: either the tag's new text, or a
// refusal whose message is shown while the dialog stays open.
struct EditorResult {
    int accepted = 0;         // 1: the dialog closes and text replaces the tag's text
    std::string text;         // the new text when accepted
    std::string_view message; // the message to show when refused
};

// ---- Cache-Control ----

// The three radio buttons of the Cache-Control editor.
enum class CacheControlChoice : int { DontLimit = 0, PreventCaching = 1, MaximumAge = 2 };

struct CacheControlState {
    CacheControlChoice choice = CacheControlChoice::DontLimit;
    int seconds = 10; // shown in the seconds field
};

// Reads a Cache-Control text (case ignored): "no-cache" anywhere selects
// PreventCaching; otherwise "max-age" anywhere selects MaximumAge, with the
// seconds read after the first "=" following it (spaces ignored; without a
// number the seconds stay 10); otherwise DontLimit. Other directives are
// ignored. A number outside 0..kMaxFieldInteger is clamped into it.
CacheControlState ReadCacheControl(std::string_view text);

struct CacheControlEnabling {
    bool secondsField = false;
    bool okButton = false;
};

// Which controls are enabled, re-evaluated on opening, on every radio click
// and on every change of the seconds field: the seconds field exactly with
// MaximumAge; OK for the other choices, or when a decimal scan of the seconds
// field reads a number greater than 0.
CacheControlEnabling CacheControlEnablingFor(CacheControlChoice choice,
                                             std::string_view secondsText);

// The result of OK: "" for DontLimit, "no-cache" for PreventCaching (the
// seconds field is not looked at: it is reset to 0 first), and
// "max-age=<n>" for MaximumAge, refused when the seconds field does not
// pass ReadIntegerField.
EditorResult ComposeCacheControl(CacheControlChoice choice, std::string_view secondsText);

// The result of OK in the editor opened on original: ComposeCacheControl of
// the choices, except that choices composing the same text as the ones
// original opens with (ReadCacheControl) give original back byte for byte.
// OK without a change thus leaves the tag as written, directives the editor
// does not show ("private", "must-revalidate") included.
EditorResult CacheControlResult(std::string_view original, CacheControlChoice choice,
                                std::string_view secondsText);

// ---- Refresh ----

struct RefreshState {
    int seconds = 0;      // shown in the seconds field
    std::string url;      // shown in the URL field
    bool refresh = false; // "Refresh after" selected and both fields enabled
};

// Reads a Refresh text: the seconds are a decimal scan from its start (0
// without a number, clamped into 0..kMaxFieldInteger); the URL is everything
// after the first ";" with leading white space removed, taken whole (a
// "URL=" prefix stays part of it). Refresh is selected unless the seconds are
// 0 and the URL is empty.
RefreshState ReadRefresh(std::string_view text);

// The result of OK. The seconds field is validated first, whichever radio is
// selected. Without refresh, or with 0 seconds and a URL that is empty after
// trimming, the result is ""; otherwise the seconds, followed by ";" and the
// trimmed URL when there is one ("5;page.html").
EditorResult ComposeRefresh(bool refresh, std::string_view secondsText, std::string_view urlText);

// The result of OK in the editor opened on original: ComposeRefresh of the
// choices, except that choices composing the same text as the ones original
// opens with (ReadRefresh) give original back byte for byte, so that OK
// without a change leaves the tag as written ("5; URL=page.html" stays so).
EditorResult RefreshResult(std::string_view original, bool refresh, std::string_view secondsText,
                           std::string_view urlText);

// ---- Robots ----

// The directives the dialog has controls for, in its order.
inline constexpr std::string_view kNoIndexDirective = "noindex";
inline constexpr std::string_view kNoFollowDirective = "nofollow";
inline constexpr std::string_view kNoArchiveDirective = "noarchive";
inline constexpr std::string_view kNoSnippetDirective = "nosnippet";
inline constexpr std::string_view kNoImageIndexDirective = "noimageindex";
inline constexpr std::string_view kNoTranslateDirective = "notranslate";
inline constexpr std::string_view kMaxSnippetDirective = "max-snippet";
inline constexpr std::string_view kMaxImagePreviewDirective = "max-image-preview";
inline constexpr std::string_view kMaxVideoPreviewDirective = "max-video-preview";
inline constexpr std::string_view kUnavailableAfterDirective = "unavailable_after";
// The sizes max-image-preview takes.
inline constexpr std::string_view kImagePreviewSizes[] = {"none", "standard", "large"};

struct RobotsState {
    bool noIndex = false;  // "Prevent robots adding this page to search engines"
    bool noFollow = false; // "Prevent robots following links in this page"
    bool noArchive = false;
    bool noSnippet = false;
    bool noImageIndex = false;
    bool noTranslate = false;
    // max-snippet:N and max-video-preview:N (characters, seconds; -1 for no
    // limit, 0 for none); absent when the page does not say.
    std::optional<std::int64_t> maxSnippet;
    std::optional<std::int64_t> maxVideoPreview;
    std::string maxImagePreview;  // "none", "standard", "large"; "" when not said
    std::string unavailableAfter; // the date as written; "" when not said

    bool operator==(const RobotsState&) const = default;
};

// Reads a robots text, a list of directives separated by commas: an item
// that is one of the directives above (case and white space around it and
// around a ":" ignored) with a value it can take sets its control. Other
// items set nothing; ComposeRobots keeps them. The date of unavailable_after
// may hold a comma ("Wed, 01 Jan 2027 ..."): a day name alone is read
// together with the item after it.
RobotsState ReadRobots(std::string_view text);

// The text for the controls when original held the directives: the ones
// set, in the dialog's order, then every item of original the dialog has no
// control for, in its order, as written but without surrounding white
// space, then unavailable_after (its date may hold a comma), all joined
// with ", ". Empty items are dropped, and so are the known
// directives of original: the controls stand for them; so is "index" when
// noindex is set and "follow" when nofollow is, which would contradict them.
std::string ComposeRobots(std::string_view original, const RobotsState& state);

// The result of OK: original byte for byte when the boxes are as original
// opened them (OK without a change leaves the tag as written), otherwise
// ComposeRobots.
std::string RobotsResult(std::string_view original, const RobotsState& state);

// ---- Expires ----

// The time value an Expires text opens with: the date read by ParseHttpDate,
// or 0 (no date) when it cannot be read.
std::int64_t ExpiresTimeOf(std::string_view text);

// The text the Expires editor gives back for a time value: "" for 0 (no date)
// and for a value that cannot be written, otherwise FormatHttpDate of it.
std::string ExpiresResultText(std::int64_t t);

// What the Expires editor's date field stands for.
enum class ExpiresFieldKind : int {
    Empty = 0,      // no date: OK removes the tag
    Unreadable = 1, // shown empty, standing for a text that names no date
    Day = 2,        // a local calendar day
};

struct ExpiresField {
    ExpiresFieldKind kind = ExpiresFieldKind::Empty;
    CalendarDate day{1970, 1, 1}; // the day shown, for Day only

    // Fields are equal when they stand for the same thing; the day counts
    // only for Day.
    bool operator==(const ExpiresField& other) const {
        return kind == other.kind && (kind != ExpiresFieldKind::Day || day == other.day);
    }
};

// The field an Expires text opens as: the empty text as Empty; a date that
// ExpiresTimeOf reads as the local day it falls on (LocalDateOf); any other
// text as Unreadable. The field shows Unreadable as empty; it stays
// Unreadable until the user clears the field or chooses a day.
ExpiresField ReadExpires(std::string_view text);

// The text OK gives for the field as the user left it. A field still
// standing for what original opened as gives original back byte for byte, so
// that OK without a change leaves the tag as it is, whatever time of day and
// form its date is written in. Otherwise an empty field gives "", and a day
// the RFC 1123 date in GMT of local standard-time midnight starting it
// (ExpiresResultText of LocalMidnight, "" for a day before 1970).
std::string ExpiresResult(std::string_view original, const ExpiresField& field);

} // namespace orlen
