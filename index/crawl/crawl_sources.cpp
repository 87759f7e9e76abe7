#include "index/crawl/crawl_sources.h"

#include "index/sources/application_source.h"
#include "index/sources/browser_data_source.h"
#include "index/sources/mail_source.h"

namespace skimmer::index::store {

CrawlSources crawlSources(const CrawlOptions& options) {
    DesktopContext desktop{.currentDesktop = options.currentDesktop,
                           .locale = options.locale,
                           .pathDirs = options.pathDirs,
                           .isExecutable = isExecutableFile};
    CrawlSources sources;
    sources.push_back({.source = std::make_unique<ApplicationSource>(options.applicationDirs, std::move(desktop)),
                       .items = &CrawlStats::applications});
    sources.push_back({.source = std::make_unique<BrowserDataSource>(options.browsers), .items = &CrawlStats::browserItems});
    sources.push_back({.source = std::make_unique<MailSource>(options.mailRoots), .items = &CrawlStats::mail});
    return sources;
}

}  // namespace skimmer::index::store
