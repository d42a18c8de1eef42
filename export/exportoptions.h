#pragma once

#include "canvas/scenepicture.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The command line of vedra-export, read into what to render, how and where.
class ExportOptions
{
public:
    // Reads the arguments after the program name, as the bytes the system passed. Returns false
    // with a one-line message in error when they are unusable; "--help" and "--version" read as
    // valid and set help or version, whatever follows.
    bool parse(const std::vector<std::string>& arguments, QString& error);
    // The --help text.
    static QString usage();
    // The output of one series member: every "%d" of the output pattern becomes its number.
    std::string outputFor(qint64 number) const;

    QSize size{1600, 1000};
    // Without a given view, each input is fitted to the canvas.
    bool viewGiven = false;
    double originX = 0.0;
    double originY = 0.0;
    double ratio = 1.0;
    // Paths as bytes, so that names outside the local encoding are used as given. An empty
    // configPath: config.ini of the working directory, as the viewer reads it.
    std::string configPath;
    bool series = false;
    bool help = false;
    bool version = false;
    std::string input;
    std::string output;
    // Chosen by the output's extension.
    ScenePicture::Format format = ScenePicture::Format::Png;
};
