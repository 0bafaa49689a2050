#include "hints.h"

#include "messages.h"

#include <algorithm>
#include <regex>

namespace {

char separator(const whereabouts &where)
{
    return where.windows ? '\\' : '/';
}

std::string folderof(const whereabouts &where)
{
    const std::size_t last = where.programpath.find_last_of(separator(where));
    return last == std::string::npos ? "" : where.programpath.substr(0, std::max<std::size_t>(last, 1));
}

std::string fileof(const whereabouts &where)
{
    return where.programpath.substr(where.programpath.find_last_of(separator(where)) + 1);
}

// Windows compares names without case (ASCII is enough for folders that
// differ), and neither system minds a trailing separator.
std::string comparable(std::string path, const whereabouts &where)
{
    while (path.size() > 1 && path.back() == separator(where))
        path.pop_back();
    if (where.windows)
        std::transform(path.begin(), path.end(), path.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return path;
}

bool samefolder(const std::string &a, const std::string &b, const whereabouts &where)
{
    return comparable(a, where) == comparable(b, where);
}

// The zip that Explorer runs the program from when it is double-clicked
// inside one, such as "wavestars-1.0.0-win64.zip": Explorer copies the
// program alone into <temp>\Temp1_wavestars-1.0.0-win64.zip\... (a number,
// or on some versions another token, after "Temp"); else "".
std::string zipname(const whereabouts &where)
{
    const std::string temp = comparable(where.tempfolder, where) + "\\";
    if (!where.windows || where.tempfolder.empty() || comparable(where.programpath, where).rfind(temp, 0) != 0)
        return "";
    const std::string inside = where.programpath.substr(temp.size());
    const std::size_t end = inside.find('\\');
    static const std::regex explorers("Temp[0-9A-Za-z{}-]*_(.+\\.zip)", std::regex::icase);
    std::smatch found;
    const std::string folder = inside.substr(0, end);
    return end != std::string::npos && std::regex_match(folder, found, explorers) ? found[1].str() : "";
}

// What to type to draw the sample: change to its folder, start the program.
std::string drawsample(const whereabouts &where)
{
    if (where.windows) // cmd finds the program in the current folder first
        return "cd /d " + shellword(where.samplefolder, true) + " && " + shellword(fileof(where), true);
    const std::string program = where.typedname.empty() ? where.programpath : where.typedname;
    return "cd " + shellword(where.samplefolder, false) + " && " + shellword(program, false);
}

// A console of its own means a double-click, or Run as administrator or a
// shortcut, which start in another folder: the way back is a double-click
// in the program's own folder, never a file put into that other folder.
std::vector<std::string> doubleclicked(const whereabouts &where)
{
    const std::string own = folderof(where);
    if (own.empty() || samefolder(own, where.currentfolder, where))
        return {say(msg::lookedin, {where.currentfolder})};
    return {say(msg::startedelsewhere, {where.currentfolder, own}),
            say(where.samplefolder.empty() ? msg::doubleclickown : msg::doubleclicksample, {fileof(where)})};
}

std::vector<std::string> missinghints(const whereabouts &where)
{
    if (const std::string zip = zipname(where); !zip.empty())
        return {say(msg::extractzip, {zip, fileof(where)})};
    if (where.currentfolder.empty())
        return {};
    if (where.owned)
        return doubleclicked(where);
    if (!where.samplefolder.empty() && !samefolder(where.samplefolder, where.currentfolder, where))
        return {say(msg::samplethere, {where.samplefolder, drawsample(where)})};
    return {};
}

std::vector<std::string> argumenthints(const whereabouts &where)
{
    std::string names;
    for (const std::string &argument : where.arguments)
        names += (names.empty() ? "" : ", ") + argument;
    const std::string zip = zipname(where);
    const std::string own = folderof(where);
    // A double-click starts the program in its own folder.
    const std::string folder = where.owned && !own.empty() ? own : where.currentfolder;
    // An installed sample's folder, such as /usr/share/wavestars, is the
    // system's; an unzipped one on Windows is the user's own.
    const bool installed =
        !where.windows && !where.samplefolder.empty() && samefolder(folder, where.samplefolder, where);
    std::vector<std::string> lines = {say(msg::notread, {names})};
    if (!zip.empty())
        lines.push_back(say(msg::extractzip, {zip, fileof(where)}));
    else if (installed)
        lines.push_back(say(msg::copyasown));
    else if (!folder.empty())
        lines.push_back(say(msg::copyas, {folder}));
    return lines;
}

} // namespace

std::vector<std::string> hints(const whereabouts &where, bool missing)
{
    if (!where.arguments.empty())
        return argumenthints(where);
    return missing ? missinghints(where) : std::vector<std::string>();
}

std::string shellword(const std::string &text, bool windows)
{
    // What a shell reads as more than part of a name.
    const char *const special = windows ? " &()[]{}^=;!'+,`~%|<>" : " \t\n\"'`$&|;<>()[]{}*?!#~=%\\^";
    if (!text.empty() && text.find_first_of(special) == std::string::npos)
        return text;
    if (windows)
        return "\"" + text + "\""; // a Windows name holds no double quote
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
