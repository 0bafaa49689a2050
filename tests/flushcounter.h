#pragma once

// A stream buffer that notes every flush, to show what is pushed out when.

#include <sstream>
#include <vector>

class flushcounter : public std::stringbuf {
  public:
    std::vector<std::size_t> flushedat; // the text's length at each flush

  protected:
    int sync() override
    {
        flushedat.push_back(str().size());
        return 0;
    }
};
