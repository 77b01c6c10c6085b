// Every engine header in one translation unit, built with nothing but the standard library and
// the project root on the include path: the engine must stay free of Qt and of each other's
// missing includes.
#include "engine/array_sort.h"
#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "engine/length_filter.h"
#include "engine/letter_file.h"
#include "engine/letter_index.h"
#include "engine/match_index.h"
#include "engine/text.h"
#include "engine/word_list.h"
#include "engine/words/matcher.h"
#include "engine/words/run_core.h"

#if defined(QT_CORE_LIB) || __has_include(<QtCore/qglobal.h>)
#error "The engine must build without Qt on the include path."
#endif
