import mermaid from "{{mermaid_url}}";

const errorBox = document.getElementById("flow-render-error");
try {
  // 'strict' keeps Mermaid's URL and SVG sanitising on and ignores click
  // callbacks: a stored sequence or state body is user text and must not be
  // able to run script in this page.
  mermaid.initialize({
    startOnLoad: false,
    securityLevel: 'strict',
    theme: 'base',
    themeVariables: {
      darkMode: false,
      background: '#f8fafc',
      primaryColor: '#1168BD',
      primaryTextColor: '#ffffff',
      primaryBorderColor: '#0B4884',
      secondaryColor: '#23A2D9',
      secondaryTextColor: '#ffffff',
      tertiaryColor: '#e2e8f0',
      tertiaryTextColor: '#334155',
      lineColor: '#94a3b8',
      textColor: '#334155',
      fontSize: '15px'
    }
  });
  await mermaid.run({ querySelector: '.mermaid' });
} catch (err) {
  console.error("borvane-c4 flow mermaid failed", err);
  if (errorBox) {
    errorBox.hidden = false;
    errorBox.textContent = "Mermaid render failed: " + (err && err.message ? err.message : String(err));
  }
}
