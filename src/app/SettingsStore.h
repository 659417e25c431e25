#pragma once
// Where the conversion settings live (Config.ini in the user's configuration folder), and
// reading and writing them there. Every function may run on any thread; none keeps state.

#include "engine/ConversionSettings.h"

#include <QString>

// $XDG_CONFIG_HOME/Quillvane (~/.config/Quillvane by default), without a trailing "/".
QString SettingsFolder();
// SettingsFolder() + "/Config.ini".
QString SettingsFilePath();

// The folder MP3 files go to until the user picks one, ending in "/": the user's music
// folder, else the desktop folder, else the home folder. A folder that does not exist is
// passed over.
QString DefaultOutputFolder();

// Fills the six stored fields of `settings` from the INI file at `path`; outputFormat is
// left alone. Keys and defaults (used when a key is missing):
//   [OUTPUT] SameAsSrc   -> sameAsSource     0
//   [OUTPUT] DesDir      -> outputFolder     DefaultOutputFolder() (an empty value stays empty)
//   [OUTPUT] LastDir     -> lastFolder       empty
//   [MP3]    LameBits    -> bitrateIndex     kDefaultBitrateIndex (11, 128 kbit/s)
//   [MP3]    LameChannel -> channelMode      0 (automatic)
//   [MP3]    Freq        -> sampleRateIndex  0 (automatic)
// A number is the digits that start the value, after an optional sign ("16 ; best" is 16).
// An index that has no digits or falls outside its table (bit rates 0..16, channel modes
// 0..4, frequencies 0..9) gets the default. SameAsSrc is a flag: any number but 0 reads as 1.
// A missing file gives the defaults and returns true. Returns false only when the file
// exists but cannot be read; `settings` then holds the defaults.
bool LoadSettings(ConversionSettings& settings, const QString& path = SettingsFilePath());

// Writes the six keys above into the INI file at `path`, keeping everything else the file
// holds, and replaces the file atomically. Creates the file's folder when it is missing.
// Returns false when the folder cannot be created, the existing file cannot be read (it
// would be overwritten unseen), or the file cannot be written.
bool SaveSettings(const ConversionSettings& settings, const QString& path = SettingsFilePath());
