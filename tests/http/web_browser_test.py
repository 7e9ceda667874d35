#!/usr/bin/env python3
"""The web view in a real browser: headless Chromium, driven by chromedriver through Selenium, loads
the page that `talvo-cli read --replay - --http 127.0.0.1:0` serves, waits for the tags, narrows
them with the UID filter, finds the tamper alarm highlighted in words and colour, sees a report that
arrives later through the live stream, and switches the language. Saves a screenshot to the path
given as the second argument. Exits 77 (skipped) only when the browser or its driver is missing."""

import os
import re
import select
import shutil
import subprocess
import sys
import time

SKIP = 77


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.common.exceptions import StaleElementReferenceException
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")

CHROMIUM = shutil.which("chromium")
DRIVER = shutil.which("chromedriver")
if not CHROMIUM or not DRIVER:
    skip("chromium or chromium-driver is not installed")


def line(n, di="FF"):
    return f"{n:016d}50A3{di}\r".encode()


def served_url(process, deadline_s=20):
    """The address the session prints on standard error, read with a deadline."""
    seen = b""
    end = time.monotonic() + deadline_s
    while time.monotonic() < end:
        ready, _, _ = select.select([process.stderr], [], [], 0.5)
        if ready:
            chunk = os.read(process.stderr.fileno(), 4096)
            if not chunk:
                break
            seen += chunk
            match = re.search(rb"web view: (http://\S+)", seen)
            if match:
                return match.group(1).decode()
    raise SystemExit(f"FAIL: the session did not say where it serves: {seen!r}")


def rows(driver):
    return driver.find_elements(By.CSS_SELECTOR, "#tag-rows tr")


def shows(css, text):
    return lambda d: d.find_element(By.CSS_SELECTOR, css).text == text


def main():
    cli, screenshot = sys.argv[1], sys.argv[2]
    session = subprocess.Popen([cli, "read", "--replay", "-", "--label", "SITE1/R1", "--http", "127.0.0.1:0"],
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    driver = None
    try:
        url = served_url(session)
        # Tags 101..104 and 201..203; 102 raises the tamper alarm, 203 reports a low battery.
        reports = b"".join(line(n) for n in (101, 103, 104, 201, 202)) + b"J00" + line(102) + line(203, "3F")
        session.stdin.write(reports)
        session.stdin.flush()

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                         "--window-size=1400,900", "--lang=en-US"):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"intl.accept_languages": "en-US"})
        driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        # The table is drawn again as reports stream in, so an element found a moment ago can be gone:
        # every check looks again until it holds.
        wait = WebDriverWait(driver, 30, ignored_exceptions=(StaleElementReferenceException,))
        driver.get(url)

        wait.until(lambda d: len(rows(d)) == 7)
        assert driver.find_element(By.ID, "title").text == "Talvo Utility web view"

        tamper_row = '#tag-rows tr[data-uid="0000000000000102"]'
        wait.until(lambda d: "alarm" in d.find_element(By.CSS_SELECTOR, tamper_row).get_attribute("class").split())
        wait.until(shows(tamper_row + " .alarm-tamper", "Tamper Alarm"))
        wait.until(lambda d: d.find_element(By.CSS_SELECTOR, tamper_row + " .alarm-tamper")
                   .value_of_css_property("background-color") not in ("rgba(0, 0, 0, 0)", "transparent"))
        wait.until(shows('#tag-rows tr[data-uid="0000000000000203"] .alarm-battery', "Low battery"))

        box = driver.find_element(By.ID, "uid-filter")
        box.send_keys("00000000000002")
        wait.until(lambda d: len(rows(d)) == 3 and
                   all(r.get_attribute("data-uid").startswith("00000000000002") for r in rows(d)))
        box.clear()
        box.send_keys(" ")  # an input event with an empty filter
        wait.until(lambda d: len(rows(d)) == 7)

        # A report that arrives now reaches the page through the live stream.
        session.stdin.write(line(301))
        session.stdin.flush()
        wait.until(lambda d: len(rows(d)) == 8)
        wait.until(lambda d: d.find_element(By.CSS_SELECTOR, '#reader-rows tr[data-label="SITE1/R1"]'))

        # Sorting by UID, descending.
        uid_header = driver.find_element(By.CSS_SELECTOR, '#tags th[data-key="uid"]')
        uid_header.click()
        uid_header.click()
        wait.until(lambda d: rows(d)[0].get_attribute("data-uid") == "0000000000000301")

        language = Select(driver.find_element(By.ID, "lang"))
        language.select_by_value("zh-Hant")
        wait.until(lambda d: d.find_element(By.ID, "title").text == "Talvo Utility 網頁檢視")
        wait.until(shows(".alarm-tamper", "防拆警示"))
        language.select_by_value("zh-Hans")
        wait.until(lambda d: d.find_element(By.ID, "title").text == "Talvo Utility 网页视图")
        wait.until(shows(".alarm-tamper", "防拆警示"))
        count_header = '#tags th[data-key="count"]'
        wait.until(lambda d: d.find_element(By.CSS_SELECTOR, count_header).text.startswith("读取次数"))
        language.select_by_value("en")
        wait.until(lambda d: d.find_element(By.ID, "title").text == "Talvo Utility web view")
        uid_header.click()  # back to ascending for the picture
        wait.until(lambda d: rows(d)[0].get_attribute("data-uid") == "0000000000000101")
        driver.save_screenshot(screenshot)
        print("1 passed, 0 failed")
        return 0
    finally:
        if driver:
            driver.quit()
        session.stdin.close()
        try:
            session.wait(10)
        except subprocess.TimeoutExpired:
            session.kill()


if __name__ == "__main__":
    sys.exit(main())
