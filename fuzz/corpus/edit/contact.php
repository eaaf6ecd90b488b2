<?php
// Contact page: shows the order form and handles what it sends.
$sent = false;
$errors = array();
if ($_SERVER['REQUEST_METHOD'] === 'POST') {
    $name = trim($_POST['name'] ?? '');
    $loaves = (int) ($_POST['loaves'] ?? 0);
    if ($name === '') { $errors[] = 'Please tell us your name.'; }
    if ($loaves < 1 || $loaves > 20) { $errors[] = 'We can bake 1 to 20 loaves per order.'; }
    $sent = count($errors) == 0;
}
?>
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Order &amp; contact – Crumb &amp; Co.</title>
<meta name="description" content="Order bread for collection, or send the bakers a message.">
<meta name="keywords" content="bakery, order bread, contact, opening hours">
<?php if (date('n') == 12): ?>
<meta name="robots" content="noindex">
<?php endif; ?>
<meta name="Author" content="Hélène Marchetti">
<meta name="owner" content="orders@crumb-and-co.example">
</head>
<body>
<h1>Order &amp; contact</h1>

<?php if ($sent): ?>
<p class="thanks">Thank you, <?= htmlentities($name) ?>! Your
<?= $loaves ?> loaf/loaves will be ready tomorrow after 7:00.</p>
<?php else: ?>
<?php foreach ($errors as $e): ?>
<p class="error"><?= htmlentities($e) ?></p>
<?php endforeach; ?>
<form method="post" action="contact.php">
  <p><label for="name">Your name</label><br>
     <input type="text" id="name" name="name" size="30"></p>
  <p><label for="loaves">Country loaves (1–20)</label><br>
     <input type="number" id="loaves" name="loaves" min="1" max="20" value="1"></p>
  <p><label for="day">Collect on</label><br>
     <select id="day" name="day">
       <option>Tuesday</option><option>Wednesday</option><option>Thursday</option>
       <option>Friday</option><option>Saturday</option><option>Sunday</option>
     </select></p>
  <p><label for="note">Anything else?</label><br>
     <textarea id="note" name="note" rows="4" cols="40"></textarea></p>
  <p><input type="submit" value="Send order"></p>
</form>
<?php endif; ?>

<p>Or simply call us: +44 1632 960 418. Crumb &amp; Co., 14 Harbour Street.</p>
<p><a href="index.html">Home</a> · <a href="about.htm">About us</a></p>
<p class="footer">Page generated <?php echo date('j F Y, H:i'); ?>.</p>
</body>
</html>
