// The fuzz checks: each reads one input the way the program reads that kind of file or command
// line, and aborts when a property that must hold does not. libFuzzer calls them through
// target.cpp; they need nothing from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

int FuzzAlmanac(const uint8_t* data, size_t size);
int FuzzYuma(const uint8_t* data, size_t size);
int FuzzSem(const uint8_t* data, size_t size);
int FuzzAgp(const uint8_t* data, size_t size);
int FuzzAgl(const uint8_t* data, size_t size);
int FuzzSiteListNew(const uint8_t* data, size_t size);
int FuzzSiteListOld(const uint8_t* data, size_t size);
int FuzzConfiguration(const uint8_t* data, size_t size);
int FuzzLanguage(const uint8_t* data, size_t size);
int FuzzCli(const uint8_t* data, size_t size);
int FuzzGalileoXml(const uint8_t* data, size_t size);
int FuzzQzssYuma(const uint8_t* data, size_t size);
int FuzzFetchSources(const uint8_t* data, size_t size);
int FuzzSitesJson(const uint8_t* data, size_t size);
int FuzzTimeZone(const uint8_t* data, size_t size);
int FuzzMapRaster(const uint8_t* data, size_t size);

// Whether `text` is one JSON value and nothing else (RFC 8259; no NaN or infinity).
bool IsJson(const std::string& text);

// Stops the run with a message: libFuzzer keeps the input that did it.
[[noreturn]] void PropertyFailed(const char* what);
