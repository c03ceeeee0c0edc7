// The page's first script, run before anything is shown. It reports any
// refusal by the site's Content-Security-Policy as a console error, and
// keeps it in refused_by_policy for whoever looks (the browser test); then, on
// the English page at the site's root alone, chooses the visitor's
// language: the one asked for by ?lang=, else the one chosen on this device
// before, else the first of the browser's languages the site has (its whole
// tag, then its base language), keeping the rest of the address (?embed, a
// ?start= to open at). A language's own page, as a teacher shares it, is
// never left. The site's languages are in the meta element before it. It
// also marks the page as one whose scripts run: the stylesheet shows the
// picture only then, and otherwise the message that says why not.
(function () {
  document.documentElement.classList.add('js');
  window.refused_by_policy = [];
  document.addEventListener('securitypolicyviolation', function (event) {
    window.refused_by_policy.push(event.violatedDirective + ' ' + event.blockedURI);
    console.error('Content-Security-Policy refused ' + (event.blockedURI || 'inline code') + ' (' + event.violatedDirective + ')');
  });
  var search = new URLSearchParams(location.search);
  var embed = search.has('embed');
  if (embed) document.documentElement.classList.add('embed');
  var here = document.documentElement.lang;
  var tags = document.querySelector('meta[name="fieldline-languages"]').content.split(' ').filter(Boolean);
  if (here !== 'en' || !tags.length) return;
  var known = function (tag) {
    for (var i = 0; i < tags.length; i++) if (tags[i].toLowerCase() === String(tag).toLowerCase()) return tags[i];
    return null;
  };
  // Chinese is told apart by its script, not by its base language: Taiwan,
  // Hong Kong and Macao write traditional characters, the mainland and
  // Singapore simplified ones, and a bare "zh" means the latter.
  var chinese = function (tag) {
    var lower = tag.toLowerCase();
    if (!/^zh(-|$)/.test(lower)) return null;
    var traditional = !/-hans(-|$)/.test(lower) && /-(hant|tw|hk|mo)(-|$)/.test(lower);
    return known(traditional ? 'zh-TW' : 'zh-CN');
  };
  var asked = search.get('lang'), chosen = null;
  try { chosen = localStorage.getItem('fieldline-language'); } catch (e) { /* storage off */ }
  var pick = asked ? known(asked) || (asked === 'en' ? 'en' : null) : chosen && (known(chosen) || chosen === 'en' && 'en');
  var wanted = navigator.languages || [navigator.language || 'en'];
  for (var i = 0; !pick && i < wanted.length; i++) {
    var base = wanted[i].split('-')[0].toLowerCase();
    if (base === 'en') pick = 'en';
    else if (base === 'zh') pick = chinese(wanted[i]);
    else pick = known(wanted[i]) || tags.filter(function (tag) { return tag.split('-')[0].toLowerCase() === base; })[0] || null;
  }
  if (pick && pick !== 'en') {
    // Nothing of this page is shown while the other loads.
    document.documentElement.style.display = 'none';
    var kept = location.search.slice(1).split('&').filter(function (part) { return part && !/^lang(=|$)/.test(part); });
    location.replace(pick + '/' + (kept.length ? '?' + kept.join('&') : ''));
  }
})();
