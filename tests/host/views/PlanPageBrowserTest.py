#!/usr/bin/python3
"""PlanPageBrowserTest - the --html plan page in a real headless browser, as a player would use it.

For the demo galaxy, for a generated 2 000-planet galaxy with a large plan, for the group worth
planning in a generated 20 000-planet galaxy and for a generated
120 000-planet galaxy (whose page carries the plan's planets and shades the rest of the galaxy by
density), and for a small galaxy whose plan leaves a planet that a best plan covers, the host writes the page; the browser loads it with no console errors, shows one table row and one arrow per order,
shows a planet's name, owner and orders when the pointer rests on it, rings each planet the
review marks and says why on its card, highlights an order's arrow
from its row, and zooms with the wheel and the buttons; at 1 280 x 900 the orders table fits its
panel, and the SVG picture of the same plan shows its title and legend whole. A screenshot of each
page and picture is kept in the output folder. Exits 77 (skipped) with the reason when the browser or its driver is missing.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

SKIPPED = 77
WINDOW = (1280, 900)  # a common laptop screen: the page and the picture must fit it whole
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


def skip(reason):
    print("skipped: " + reason)
    sys.exit(SKIPPED)


try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is not installed (scripts/install-deps.sh installs it)")


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
            print("FAILED: " + message)


def run_host(host, arguments):
    result = subprocess.run([host] + arguments, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        raise RuntimeError("tarvenix-host %s: exit %d\n%s" % (" ".join(arguments), result.returncode, result.stderr))
    return result.stdout


def big_galaxy(host, folder):
    """A 2 000-planet galaxy whose selected group has ships enough for a plan of a few hundred orders."""
    path = os.path.join(folder, "big.json")
    run_host(host, ["generate", "--planets", "2000", "--groups", "2000", "--seed", "1", "--out", path])
    with open(path, encoding="utf-8") as file:
        galaxy = json.load(file)
    in_orbit = [group for group in galaxy["groups"] if group["from"] == 0 and group["count"] >= 5]
    chosen = max(in_orbit, key=lambda group: (group["speed"], group["number"]))
    chosen["count"] = 200
    galaxy["selection"] = chosen["number"]
    with open(path, "w", encoding="utf-8") as file:
        json.dump(galaxy, file)
    return path


def suggested_plan(host, folder):
    """A 20 000-planet galaxy and the group that `generate` names as worth planning: five-digit
    planet and group numbers in every row of the orders table."""
    path = os.path.join(folder, "twenty.json")
    said = run_host(host, ["generate", "--planets", "20000", "--seed", "4", "--out", path])
    return ["--galaxy", path, "--select", said.rsplit("--select ", 1)[1].split()[0]]


def marked_galaxy(folder):
    """A galaxy whose plan leaves a planet between the printed and the true speed, and whose best
    plan adds that planet and one at the end of a relay chain the plug-in does not take."""
    path = os.path.join(folder, "marked.json")
    courier = {"race": "Solvani", "type": "Courier", "from": 0, "fleet": ""}
    galaxy = {
        "game": "Marked", "turn": 1, "races": [{"name": "Solvani", "drivesTech": 10}],
        "planets": [{"name": "Home", "x": 0, "y": 0, "owner": "Solvani"}, {"name": "Edge", "x": 10.002, "y": 0},
                    {"name": "Near", "x": 3, "y": 0}, {"name": "R1", "x": -10, "y": 0},
                    {"name": "R2", "x": -5, "y": -9}, {"name": "D", "x": -3, "y": -15}],
        "shipTypes": [{"race": "Solvani", "name": "Courier", "drives": 1, "weapons": 0, "ammo": 0, "cargo": 0,
                       "shields": 0}],
        "groups": [dict(courier, number=1, planet=1, count=3, speed=10.004),
                   dict(courier, number=5, planet=4, count=1, speed=12),
                   dict(courier, number=6, planet=5, count=1, speed=10)],
        "selection": 1}
    with open(path, "w", encoding="utf-8") as file:
        json.dump(galaxy, file)
    return path


def check_review_marks(browser, name, quality, failures):
    """A ring for each planet the review left and each a best plan adds; a left planet's card says why."""
    left = quality["left"] if quality else []
    extra = quality["best_extra"] if quality else []
    rings = browser.find_elements(By.CSS_SELECTOR, "#plan circle.mark")
    failures.check(len(rings) == len(left) + len(extra),
                   "%s: %d review rings for %d planets left and %d a best plan adds" %
                   (name, len(rings), len(left), len(extra)))
    if not left:
        return
    ring = browser.find_element(By.CSS_SELECTOR, "#plan circle.mark.left")
    ActionChains(browser).move_to_element(ring).perform()
    text = browser.find_element(By.ID, "tooltip").text
    failures.check(left[0]["name"] in text and "(" + left[0]["reason"] + ")" in text,
                   "%s: the card of a planet left reads '%s'" % (name, text))


def large_galaxy(host, folder):
    """A galaxy above the 100 000 planets that a page carries one by one."""
    path = os.path.join(folder, "large.json")
    run_host(host, ["generate", "--planets", "120000", "--seed", "2", "--out", path])
    return path


def open_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--window-size=%d,%d" % WINDOW, "--hide-scrollbars"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    service = webdriver.chrome.service.Service(executable_path=CHROMEDRIVER)
    return webdriver.Chrome(service=service, options=options)


def check_page(browser, page, report, screenshot, failures):
    name = os.path.basename(page)
    orders = report["orders"]
    browser.get("file://" + os.path.abspath(page))
    WebDriverWait(browser, 30).until(lambda b: b.find_element(By.ID, "stage").get_attribute("data-scale"))
    data = browser.execute_script("return JSON.parse(document.getElementById('plan-data').textContent);")
    print("%s: %d bytes, drawn %.0f ms after the page was asked for" %
          (name, os.path.getsize(page), browser.execute_script("return performance.now();")))
    if "density" in data:
        legend = browser.find_element(By.ID, "legend").text
        failures.check("shaded by how many lie" in legend, "%s: the legend does not explain the shading" % name)
        failures.check(len(data["planets"]["number"]) == len(data["planets"]["name"]),
                       "%s: the planets carried lack their numbers" % name)

    errors = [entry for entry in browser.get_log("browser") if entry["level"] in ("SEVERE", "WARNING")]
    failures.check(not errors, "%s: console errors: %s" % (name, errors))

    rows = browser.find_elements(By.CSS_SELECTOR, "#orders tbody tr")
    arrows = browser.find_elements(By.CSS_SELECTOR, "#plan line.arrow")
    failures.check(len(orders) > 0, "%s: the run made no orders to show" % name)
    failures.check(len(rows) == len(orders), "%s: %d table rows for %d orders" % (name, len(rows), len(orders)))
    failures.check(len(arrows) == len(orders), "%s: %d arrows for %d orders" % (name, len(arrows), len(orders)))
    for row, order in zip(rows, orders):
        if order["order"] not in row.text:
            failures.check(False, "%s: row '%s' does not show order '%s'" % (name, row.text, order["order"]))
            break

    # A row's arrow is highlighted while the pointer is on the row.
    ActionChains(browser).move_to_element(rows[-1]).perform()
    highlighted = browser.find_elements(By.CSS_SELECTOR, "#plan line.arrow.hl")
    failures.check(len(highlighted) == 1 and highlighted[0].get_attribute("data-order") == str(len(orders) - 1),
                   "%s: the last row highlights %s" % (name, [h.get_attribute("data-order") for h in highlighted]))

    # Hovering the source shows its name, its owner and its orders.
    source = data["source"]
    source_name = data["planets"]["name"][source - 1]
    owner = data["owners"][data["planets"]["owner"][source - 1]] or "nobody"
    marker = browser.find_element(By.CSS_SELECTOR, 'circle.planet[data-planet="%d"]' % source)
    ActionChains(browser).move_to_element(marker).perform()
    tooltip = browser.find_element(By.ID, "tooltip")
    text = tooltip.text
    failures.check(tooltip.is_displayed(), "%s: no tooltip over the source" % name)
    failures.check(source_name in text and "Owner: " + owner in text and orders[0]["order"] in text,
                   "%s: tooltip over the source reads '%s'" % (name, text))
    browser.save_screenshot(screenshot)
    check_review_marks(browser, name, report.get("quality"), failures)

    # At 1 280 x 900 the orders table fits its panel: the Result column is not cut, however long
    # the planets' numbers and names.
    fit = browser.execute_script("""
        const list = document.getElementById('order-list');
        const right = list.getBoundingClientRect().right;
        const results = Array.from(document.querySelectorAll('#orders tbody tr td:last-child'));
        return {overflow: list.scrollWidth - list.clientWidth,
                cut: results.filter(cell => cell.getBoundingClientRect().right > right + 0.5).length,
                header: document.querySelector('#orders th:last-child').getBoundingClientRect().right - right,
                viewport: [window.innerWidth, window.innerHeight]};""")
    print("%s: orders table at %s: %s" % (name, WINDOW, fit))
    failures.check(fit["overflow"] <= 0 and fit["cut"] == 0 and fit["header"] <= 0.5,
                   "%s: the orders table does not fit its panel at %s: %s" % (name, WINDOW, fit))

    # The wheel zooms in where the pointer is; the buttons zoom out and back to the plan.
    stage = browser.find_element(By.ID, "stage")
    before = float(stage.get_attribute("data-scale"))
    x1_before = arrows[0].get_attribute("x1")
    ActionChains(browser).scroll_from_origin(ScrollOrigin.from_element(stage), 0, -300).perform()
    WebDriverWait(browser, 5).until(lambda b: float(stage.get_attribute("data-scale")) != before)
    zoomed = float(stage.get_attribute("data-scale"))
    failures.check(zoomed > before * 1.5, "%s: wheel zoom went from %g to %g" % (name, before, zoomed))
    failures.check(arrows[0].get_attribute("x1") != x1_before, "%s: the arrows did not follow the zoom" % name)
    browser.find_element(By.ID, "zoom-out").click()
    failures.check(float(stage.get_attribute("data-scale")) < zoomed, "%s: the zoom-out button did nothing" % name)
    browser.find_element(By.ID, "fit-plan").click()
    failures.check(abs(float(stage.get_attribute("data-scale")) - before) < before * 1e-3,
                   "%s: the plan button did not frame the plan again" % name)

    # Switching a layer off hides its arrows.
    browser.find_element(By.CSS_SELECTOR, 'input[data-layer="direct"]').click()
    shown = [a for a in browser.find_elements(By.CSS_SELECTOR, "#plan line.arrow.direct") if a.is_displayed()]
    failures.check(not shown, "%s: %d direct arrows still shown with their layer off" % (name, len(shown)))

    errors = [entry for entry in browser.get_log("browser") if entry["level"] in ("SEVERE", "WARNING")]
    failures.check(not errors, "%s: console errors while used: %s" % (name, errors))


def check_picture(browser, picture, screenshot, failures):
    """The SVG picture scales with its window: at 1 280 x 900 its legend and title are inside it."""
    name = os.path.basename(picture)
    browser.get("file://" + os.path.abspath(picture))
    boxes = browser.execute_script("""
        const box = id => { const r = document.getElementById(id).getBoundingClientRect();
                            return [r.left, r.top, r.right, r.bottom]; };
        return {legend: box('legend'), title: box('title'), window: [window.innerWidth, window.innerHeight]};""")
    width, height = boxes["window"]
    for part in ("legend", "title"):
        left, top, right, bottom = boxes[part]
        failures.check(left >= 0 and top >= 0 and right <= width + 0.5 and bottom <= height + 0.5,
                       "%s: its %s is cut in a %dx%d window: %s" % (name, part, width, height, boxes[part]))
    browser.save_screenshot(screenshot)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--out", required=True)
    arguments = parser.parse_args()
    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            skip(program + " is not installed (scripts/install-deps.sh installs chromium and chromium-driver)")
    os.makedirs(arguments.out, exist_ok=True)

    failures = Failures()
    with tempfile.TemporaryDirectory() as folder:
        runs = [("demo", []), ("big", ["--galaxy", big_galaxy(arguments.host, folder)]),
                ("twenty", suggested_plan(arguments.host, folder)),
                ("large", ["--galaxy", large_galaxy(arguments.host, folder)]),
                ("marked", ["--galaxy", marked_galaxy(folder)])]
        browser = open_browser(os.path.join(folder, "profile"))
        try:
            for name, options in runs:
                page = os.path.join(arguments.out, name + ".html")
                picture = os.path.join(arguments.out, name + ".svg")
                report = json.loads(run_host(arguments.host, options + ["--json", "--html", page, "--svg", picture]))
                check_page(browser, page, report, os.path.join(arguments.out, name + ".png"), failures)
                check_picture(browser, picture, os.path.join(arguments.out, name + "-svg.png"), failures)
        finally:
            browser.quit()
    with open(os.path.join(arguments.out, "large.html"), encoding="utf-8") as file:
        failures.check('"density"' in file.read(), "large.html: a 120 000-planet page is not thinned")
    print("screenshots in " + arguments.out)
    print("%d checks failed" % len(failures.messages) if failures.messages else "every check passed")
    return 1 if failures.messages else 0


if __name__ == "__main__":
    sys.exit(main())
