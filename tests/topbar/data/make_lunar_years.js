// Produces lunar_years.txt (and, with --codes, the year-code table of the
// lunar calendar) from astronomical new moons and principal solar terms.
// Run by hand, never by the build:
//   mkdir /tmp/lunar && cd /tmp/lunar && npm install astronomy-engine@2.1.19
//   NODE_PATH=/tmp/lunar/node_modules node make_lunar_years.js > lunar_years.txt
//   NODE_PATH=/tmp/lunar/node_modules node make_lunar_years.js --codes
// Rules: days counted in UTC+8 (before 1929 in Beijing's local time); the month holding the winter solstice is the
// eleventh; a winter-solstice year of 13 months makes its first month without
// a principal term the leap month. The dates the published tables dispute are
// pinned by the tests themselves (LunarCalendarTest.cpp); at two new moons a
// few seconds after midnight the Observatory's day is taken (below).
const A = require('astronomy-engine');
const DAY_MS = 86400e3;
const dayOf = (t) => Math.floor((t.date.getTime() + (t.date.getUTCFullYear() < 1929 ? 27940e3 : 8 * 3600e3)) / DAY_MS);
const civil = (d) => new Date(d * DAY_MS).toISOString().slice(0, 10);

// New moons within a minute of midnight that the Hong Kong Observatory's tables
// (which hold there) put on the day before, and 1906's on its UTC+8 day: computed day -> Observatory's day.
const observatoryNewMoons = { '1906-04-23': '1906-04-24', '2057-09-29': '2057-09-28', '2097-08-08': '2097-08-07' };
const newMoons = [];
for (let t = A.MakeTime(new Date(Date.UTC(1899, 9, 1))); t.date.getTime() < Date.UTC(2102, 5, 1);) {
  const nm = A.SearchMoonPhase(0, t, 40);
  let day = dayOf(nm);
  const moved = observatoryNewMoons[civil(day)];
  if (moved) day = Date.parse(moved) / DAY_MS;
  newMoons.push(day);
  t = nm.AddDays(20);
}
const terms = []; // principal terms: { day, lon }
{
  let t = A.MakeTime(new Date(Date.UTC(1899, 9, 1)));
  let lon = Math.ceil(A.SunPosition(t).elon / 30) * 30 % 360;
  while (t.date.getTime() < Date.UTC(2102, 5, 1)) {
    const hit = A.SearchSunLongitude(lon, t, 40);
    terms.push({ day: dayOf(hit), lon });
    t = hit.AddDays(1);
    lon = (lon + 30) % 360;
  }
}
const months = [];
for (let i = 0; i + 1 < newMoons.length; ++i) {
  const start = newMoons[i], end = newMoons[i + 1];
  const inside = terms.filter((x) => x.day >= start && x.day < end);
  months.push({ start, len: end - start, hasTerm: inside.length > 0,
                solstice: inside.some((x) => x.lon === 270), num: 0, leap: false });
}
const m11 = [];
months.forEach((m, i) => { if (m.solstice) m11.push(i); });
for (let k = 0; k + 1 < m11.length; ++k) {
  const a = m11[k], b = m11[k + 1];
  let leapPending = b - a === 13;
  let num = 11;
  months[a].num = 11;
  for (let i = a + 1; i < b; ++i) {
    if (leapPending && !months[i].hasTerm) { months[i].num = num; months[i].leap = true; leapPending = false; continue; }
    num = num % 12 + 1;
    months[i].num = num;
  }
}
const years = [];
for (let i = 0; i < months.length; ++i) {
  const m = months[i];
  if (m.num !== 1 || m.leap) continue;
  const y = Number(civil(m.start).slice(0, 4));
  if (y < 1901 || y > 2101) continue;
  let j = i, lens = [], leap = 0, leapLen = 0;
  for (; j < months.length && !(j > i && months[j].num === 1 && !months[j].leap); ++j) {
    if (months[j].leap) { leap = months[j].num; leapLen = months[j].len; } else lens.push(months[j].len);
  }
  years.push({ y, newYear: civil(m.start), leap, leapLen, lens });
}
if (process.argv.includes('--codes')) {
  const rows = years.filter((r) => r.y <= 2100).map((r) => {
    let code = r.leap;
    r.lens.forEach((l, k) => { if (l === 30) code |= 1 << (k + 4); });
    if (r.leap && r.leapLen === 30) code |= 1 << 16;
    return '0x' + code.toString(16).toUpperCase().padStart(5, '0');
  });
  for (let k = 0; k < rows.length; k += 10) console.log('    ' + rows.slice(k, k + 10).join(', ') + ',');
} else {
  console.log('# Lunar years 1901-2100 and the new year of 2101: year, first day (Gregorian),');
  console.log('# leap month (0: none), leap month length (0: none).');
  console.log('# Source: new moons and principal solar terms of the astronomy-engine 2.1.19');
  console.log('# package (npm registry) in UTC+8 (Beijing local time before 1929), by make_lunar_years.js;');
  console.log('# compared with the Hong Kong Observatory Gregorian-Lunar Calendar Conversion');
  console.log('# Tables (1901-2100) where they could be read.');
  for (const r of years) console.log(r.y > 2100 ? `${r.y} ${r.newYear}` : `${r.y} ${r.newYear} ${r.leap} ${r.leapLen}`);
}
