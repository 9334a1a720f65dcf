# Precompiled headers: the Qt and GoogleTest headers nearly every file includes
# are parsed once a build instead of once a file, which is most of what a file
# costs to compile. One header a layer, built by the lowest library of that
# layer and reused by the rest, so that a file sees in it only what its layer
# may include:
#   core     Qt Core, QCoro and the standard library   (pelorin_platform)
#   widgets  core, Qt Gui and Qt Widgets               (orbel_foundation)
#   tests    widgets and GoogleTest                    (pelorin_test_main)
# A library that reuses a header must compile with the same options, and with
# every definition the donor has, unchanged (it may add its own); where one
# differs, GCC says so (-Winvalid-pch, an error here) rather than compile
# without it.
option(PELORIN_PRECOMPILE_HEADERS "Precompile the Qt and GoogleTest headers" ON)

set(PELORIN_PCH_CORE
    <QByteArray> <QCoreApplication> <QList> <QObject> <QPointer> <QString> <QStringList> <QTimer>
    <QCoroTask>
    <algorithm> <array> <chrono> <functional> <memory> <optional> <utility> <vector>)
set(PELORIN_PCH_WIDGETS ${PELORIN_PCH_CORE}
    <QAbstractButton> <QAccessible> <QAccessibleWidget> <QColor> <QEvent> <QFont> <QFontMetricsF>
    <QGuiApplication> <QHBoxLayout> <QLabel> <QPainter> <QPainterPath> <QScreen> <QVBoxLayout> <QWidget>)
set(PELORIN_PCH_TESTS ${PELORIN_PCH_WIDGETS}
    <QDir> <QFile> <QImage> <QProcess> <QTemporaryDir>
    <gmock/gmock.h> <gtest/gtest.h>)

# pelorin_precompile_headers(DONOR HEADER_LIST): DONOR precompiles the headers
# the variable HEADER_LIST names.
function(pelorin_precompile_headers donor headers)
    if(PELORIN_PRECOMPILE_HEADERS)
        target_precompile_headers(${donor} PRIVATE ${${headers}})
    endif()
endfunction()

# pelorin_reuse_precompiled_headers(DONOR target...): each target compiles
# with the headers DONOR precompiled.
function(pelorin_reuse_precompiled_headers donor)
    if(PELORIN_PRECOMPILE_HEADERS)
        foreach(target IN LISTS ARGN)
            target_precompile_headers(${target} REUSE_FROM ${donor})
        endforeach()
    endif()
endfunction()
