#include "shell/curl_downloader.h"

#include <curl/curl.h>

#include <cstdio>

#include "shell/string_table.h"

namespace vemo {
namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

int Progress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto const* flag = static_cast<std::atomic<bool> const*>(cancel);
  return flag && flag->load() ? 1 : 0;
}

}  // namespace

bool CurlDownloader::Download(std::string const& url, std::string const& target,
                              std::string* error) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
  FILE* file = std::fopen(target.c_str(), "wb");
  if (!file) {
    *error = FormatText("chyba %x při výmazu %s", {int64_t{errno}, target});
    return false;
  }
  CURL* curl = curl_easy_init();
  CURLcode result = CURLE_FAILED_INIT;
  if (curl) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp,http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "ftp,http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel_));
    result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
  }
  bool closed = std::fclose(file) == 0;
  if (result == CURLE_OK && closed) return true;
  *error = FormatText("%x", {int64_t{result == CURLE_OK ? CURLE_WRITE_ERROR : result}});
  return false;
}

}  // namespace vemo
