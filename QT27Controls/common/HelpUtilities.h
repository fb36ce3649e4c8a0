#pragma once

#include <QString>

class QWidget;

namespace qt27 {

/// HTML help of the pages. The help file is the library's folder +
/// "/../help/rimox.chm". Where no HTML help viewer exists, a help window shows the
/// topic help/rimox/<context id>.html beside that file (index.html for context 0), or
/// its translation help/rimox/<language>/<context id>.html.
namespace HelpUtilities {

enum Command { HH_DISPLAY_TOPIC = 0, HH_HELP_CONTEXT = 15, HH_CLOSE_ALL = 18 };

QString HelpFilePath();
/// The topic file of @p contextId beside @p helpFile: its folder + "/rimox/<id>.html",
/// "index.html" for context 0; "/rimox/<language>/<id>.html" where that exists for the
/// language of the default locale (German help in a German session).
QString TopicPath(const QString& helpFile, int contextId);
/// The topic file shown for @p contextId.
QString TopicPath(int contextId);
/// Opens @p contextId (0: the default topic) with @p owner as owner; answers the
/// help window handle. Errors are raised as rmox::Error.
quintptr ShowHelp(QWidget* owner, int contextId);
/// Closes every help window.
void CloseAllHelp();
/// The help call itself. HH_HELP_CONTEXT shows the topic of @p contextId,
/// HH_DISPLAY_TOPIC the default topic of @p helpFile; both answer the handle of the
/// help window, a nonzero number that no other help window of the process has
/// had. One help window serves one help file: a second call shows the new topic in
/// the same window. A missing topic file raises rmox::Error 53. HH_CLOSE_ALL closes
/// and deletes every help window and answers 0.
quintptr HtmlHelp(QWidget* owner, const QString& helpFile, Command command, int contextId);
/// Number of help windows open now.
int OpenHelpWindowCount();

}  // namespace HelpUtilities
}  // namespace qt27
