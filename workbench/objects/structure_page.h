// A structure page: what an object is made of, in grids, and its DDL, on a page of the
// main window's work pages.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "data/metadata/catalogue.h"

class QTabWidget;
class TWorkbenchForm;

// The page's caption for an object: "Estrutura: NAME".
QString StructureCaption(const std::string& name);

// Reads the object and opens its page, made current. Raises what the reading raises.
void OpenStructurePage(TWorkbenchForm* form, TObjectKind kind, const std::string& name);
