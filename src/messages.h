#pragma once

// Everything the program writes to standard error, in the user's language:
// English here, other languages in the catalogues under po/, which the
// build turns into a table.

#include <string>
#include <vector>

enum class msg {
    // why the file cannot be read
    nosuchfile,
    permissiondenied,
    notadirectory,
    toomanylinks,
    nametoolong,
    ioerror,
    cannotopen,
    isadirectory,
    notregular,
    tooshort,
    cannotallocate,
    // the run cannot go on, or waits to be read
    writeerror,
    pressenter,
    // where the program is started, and how it could draw
    lookedin,
    samplethere,
    startedelsewhere,
    doubleclicksample,
    doubleclickown,
    extractzip,
    notread,
    copyas,
    copyasown,
    // the plot is wider than the screen
    narrowscreen,
    // warnings about the file
    warning,
    claimsmore,
    notfollowed,
    noncanonical,
    notriff,
    samplesformat,
    samplesnoformat,
    samplesbut,
    samplesat,
    endssooner,
    onechannel,
    channels,
    nodatainfirst,
    nodatabeforeend,
    nodatabeforechunk,
    tagfault,
    fmtsizefault,
    // sample formats, with their bits per sample and without
    namedbits,
    unsignedpcm,
    floatbits,
    floatname,
    alawbits,
    alawname,
    mulawbits,
    mulawname,
    tagbits,
    tagname,
    count // not a message: how many there are
};

// The message's English text, with {1}, {2}, ... where its values go.
const char *english(msg id);

// The message in the language chosen last, with args[0] in place of {1},
// args[1] of {2}, and so on.
std::string say(msg id, const std::vector<std::string> &args = {});

// Speaks the catalogue that fits locale ("zh_CN.UTF-8", "zh_HK", "zh-TW",
// "zh-Hant-HK"), or else another of its language, the first that standard
// error can show all of (canshow); else English.
void chooselanguage(const std::string &locale, bool (*canshow)(const std::string &));

// The chosen catalogue's name, or "" for English.
std::string language();
