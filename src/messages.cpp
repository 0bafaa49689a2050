#include "messages.h"

#include "catalogue.h"

#include <algorithm>
#include <cstring>

namespace {

struct englishtext {
    msg id;
    const char *text;
};

constexpr englishtext englishtexts[] = {
    {msg::nosuchfile, "No such file or directory"},
    {msg::permissiondenied, "Permission denied"},
    {msg::notadirectory, "Not a directory"},
    {msg::toomanylinks, "Too many levels of symbolic links"},
    {msg::nametoolong, "File name too long"},
    {msg::ioerror, "Input/output error"},
    {msg::cannotopen, "cannot open"},
    {msg::isadirectory, "is a directory, expected a regular file"},
    {msg::notregular, "not a regular file"},
    {msg::tooshort, "file is {1} bytes, a WAVE header needs {2}"},
    {msg::cannotallocate, "cannot allocate {1} bytes for the data block"},
    {msg::writeerror, "standard output: write error"},
    {msg::pressenter, "press Enter to close this window"},
    {msg::lookedin, "looked in {1}; put a WAVE file named Alarm02.wav there and start again"},
    {msg::samplethere, "the sample that came with it is in {1}; to draw it: {2}"},
    {msg::startedelsewhere, "started in {1}, not in its own folder {2}"},
    {msg::doubleclicksample, "its own folder holds the sample Alarm02.wav: double-click {1} there to draw it"},
    {msg::doubleclickown, "put a WAVE file named Alarm02.wav in its own folder and double-click {1} there"},
    {msg::extractzip, "it was started inside {1}, without its sample: extract the whole zip first (Extract All), "
                      "then double-click {2} in the extracted folder"},
    {msg::notread, "the program reads only Alarm02.wav, in the folder it starts in, and did not read {1}"},
    {msg::copyas, "to draw a file, copy it as Alarm02.wav into {1} and start wavestars there"},
    {msg::copyasown, "to draw a file, copy it as Alarm02.wav into a folder of your own and start wavestars there"},
    {msg::narrowscreen, "warning: rows wrapped: the plot needs {1} columns, the screen has {2}"},
    {msg::warning, "warning: {1}: {2}"},
    {msg::claimsmore, "the header claims {1} data bytes, the file holds {2} after byte 44; plotting those"},
    {msg::notfollowed, "the samples are {1}, but each row reads two bytes as one signed 16-bit sample, so the plot "
                       "does not follow this file's waveform"},
    {msg::noncanonical, "not the canonical 44-byte WAVE header ({1}); {2}; the rows are read from byte 44 all the "
                        "same, and the values at fixed offsets may not mean what their labels say"},
    {msg::notriff, "it is not a RIFF WAVE file, so where its samples lie is unknown"},
    {msg::samplesformat, "its samples are {1}, {2}, {3}"},
    {msg::samplesnoformat, "its samples are of no stated format (no fmt chunk found), {1}"},
    {msg::samplesbut, "but {1}"},
    {msg::samplesat, "{1} bytes from byte {2}"},
    {msg::endssooner, "{1} (its data chunk claims {2}; the file ends sooner)"},
    {msg::onechannel, "{1} channel"},
    {msg::channels, "{1} channels"},
    {msg::nodatainfirst, "there is no data chunk in the first {1} chunks"},
    {msg::nodatabeforeend, "there is no data chunk before the end of the file"},
    {msg::nodatabeforechunk,
     "there is no data chunk before the chunk at byte {1}, which runs past the end of the file"},
    {msg::tagfault, "bytes {1}-{2} hold \"{3}\", expected \"{4}\""},
    {msg::fmtsizefault, "the fmt chunk is {1} bytes, expected {2}"},
    {msg::namedbits, "{1}-bit {2}"},
    {msg::unsignedpcm, "{1}-bit unsigned PCM"},
    {msg::floatbits, "{1}-bit float"},
    {msg::floatname, "float"},
    {msg::alawbits, "{1}-bit A-law"},
    {msg::alawname, "A-law"},
    {msg::mulawbits, "{1}-bit mu-law"},
    {msg::mulawname, "mu-law"},
    {msg::tagbits, "{1}-bit format tag {2}"},
    {msg::tagname, "format tag {1}"},
};

// The table is read by index: one row a message, in the enum's order.
constexpr bool inorder()
{
    std::size_t i = 0;
    for (const auto &row : englishtexts)
        if (static_cast<std::size_t>(row.id) != i++)
            return false;
    return i == static_cast<std::size_t>(msg::count);
}
static_assert(inorder(), "one English text a message, in the enum's order");

std::string chosen; // the catalogue in use; empty for English

// The catalogue's text for english, or english itself where it has none.
const char *translate(const std::string &locale, const char *text)
{
    if (locale.empty())
        return text;
    for (std::size_t i = 0; i < translationcount; ++i)
        if (locale == translations[i].locale && std::strcmp(text, translations[i].english) == 0)
            return translations[i].text;
    return text;
}

// "zh_CN.UTF-8" and "zh-CN" both name the language zh in the country CN.
std::string normalised(const std::string &locale)
{
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    for (char &c : name)
        if (c == '-')
            c = '_';
    return name;
}

std::string languagepart(const std::string &name)
{
    return name.substr(0, name.find('_'));
}

// The catalogue a place reads: Hong Kong and Macau write Traditional
// Chinese as Taiwan does, Singapore Simplified as the mainland does. A
// script, as Windows may name it ("zh-Hant-HK"), says more than a place.
std::string catalogueof(const std::string &name)
{
    static const struct {
        const char *name;
        const char *catalogue;
    } alike[] = {{"zh_HK", "zh_TW"}, {"zh_MO", "zh_TW"}, {"zh_SG", "zh_CN"}};
    if (name.rfind("zh_Hant", 0) == 0)
        return "zh_TW";
    if (name.rfind("zh_Hans", 0) == 0)
        return "zh_CN";
    for (const auto &a : alike)
        if (name == a.name)
            return a.catalogue;
    return name;
}

// All of a catalogue's texts, to ask once whether they can be shown.
std::string alltexts(const std::string &locale)
{
    std::string all;
    for (std::size_t i = 0; i < translationcount; ++i)
        if (locale == translations[i].locale)
            all += translations[i].text;
    return all;
}

} // namespace

const char *english(msg id)
{
    return englishtexts[static_cast<std::size_t>(id)].text;
}

std::string say(msg id, const std::vector<std::string> &args)
{
    const std::string text = translate(chosen, english(id));
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool slot =
            text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}';
        const std::size_t arg = slot ? static_cast<std::size_t>(text[i + 1] - '1') : 0;
        if (slot && arg < args.size()) {
            out += args[arg];
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The catalogue named for the place comes first, then the others of the
// same language: zh_TW's Traditional Chinese in a Big5 locale, else
// zh_CN's Simplified where the character set holds only that, else English.
void chooselanguage(const std::string &locale, bool (*canshow)(const std::string &))
{
    chosen.clear();
    const std::string name = catalogueof(normalised(locale));
    std::vector<std::string> candidates;
    const auto add = [&](const std::string &candidate) {
        if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
            candidates.push_back(candidate);
    };
    for (std::size_t i = 0; i < translationcount; ++i)
        if (translations[i].locale == name)
            add(name);
    for (std::size_t i = 0; i < translationcount; ++i)
        if (!name.empty() && languagepart(translations[i].locale) == languagepart(name))
            add(translations[i].locale);
    for (const std::string &candidate : candidates)
        if (canshow(alltexts(candidate))) {
            chosen = candidate;
            return;
        }
}

std::string language()
{
    return chosen;
}
